#include "platform/MailSender.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "tests/mail/SmtpPeers.h"

namespace navoket {
namespace {

using test::PeerProcess;
using Clock = std::chrono::steady_clock;

const Text account = "navoket@example.test";
const Text password = "secret";
const Text accountBase64 = "bmF2b2tldEBleGFtcGxlLnRlc3Q=";
const Text passwordBase64 = "c2VjcmV0";

std::string hostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

long long millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class MailSenderTest : public ::testing::Test {
protected:
    // The sender's one connection outlives a test; end it so the next test
    // starts without one.
    void TearDown() override { connectMailServer("", 25, "", "", 300); }

    static std::vector<std::string> peerArguments(std::vector<std::string> options) {
        return PeerProcess::pythonScript("smtp_peer.py", options);
    }
};

struct GreetingCase {
    const char* name;
    std::vector<std::string> peerOptions;
    Text user;
    Text password;
    bool connected;
    std::vector<std::string> lines;  // what the peer received, in order
};

class MailSenderGreetingTest : public MailSenderTest,
                               public ::testing::WithParamInterface<GreetingCase> {};

TEST_P(MailSenderGreetingTest, GreetsAndLogsInAsTheServerOffers) {
    const GreetingCase& row = GetParam();
    PeerProcess peer(peerArguments(row.peerOptions));
    ASSERT_TRUE(peer.ready());
    EXPECT_EQ(connectMailServer("127.0.0.1", peer.port(), row.user, row.password), row.connected);
    std::vector<std::string> expected;
    for (const std::string& line : row.lines) {
        expected.push_back("1:" + (line.back() == ' ' ? line + hostName() : line));
    }
    EXPECT_EQ(test::peerLines(peer), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, MailSenderGreetingTest,
    ::testing::Values(
        GreetingCase{"onlyLogin",
                     {"--auth", "login"},
                     account,
                     password,
                     true,
                     {"EHLO ", "AUTH LOGIN", accountBase64, passwordBase64}},
        GreetingCase{"onlyPlain",
                     {"--auth", "plain"},
                     account,
                     password,
                     true,
                     {"EHLO ", "AUTH PLAIN", "AG5hdm9rZXRAZXhhbXBsZS50ZXN0AHNlY3JldA=="}},
        GreetingCase{"bothTakesLogin",
                     {"--auth", "both"},
                     account,
                     password,
                     true,
                     {"EHLO ", "AUTH LOGIN", accountBase64, passwordBase64}},
        GreetingCase{"noMechanismNoLogin", {"--auth", "none"}, account, password, true, {"EHLO "}},
        GreetingCase{"loginRefused",
                     {"--auth", "login"},
                     account,
                     "wrong",
                     false,
                     {"EHLO ", "AUTH LOGIN", accountBase64, "d3Jvbmc=", "QUIT"}},
        GreetingCase{"plainRefused",
                     {"--auth", "plain"},
                     account,
                     "wrong",
                     false,
                     {"EHLO ", "AUTH PLAIN", "AG5hdm9rZXRAZXhhbXBsZS50ZXN0AHdyb25n", "QUIT"}},
        GreetingCase{"ehloRefusedFallsBackToHelo",
                     {"--ehlo", "refuse"},
                     account,
                     password,
                     true,
                     {"EHLO ", "HELO "}},
        GreetingCase{"emptyPasswordHelo", {}, account, "", true, {"HELO "}},
        GreetingCase{"emptyUserHelo", {}, "", password, true, {"HELO "}},
        GreetingCase{"byteByByteReplies",
                     {"--bytewise", "--auth", "plain"},
                     account,
                     password,
                     true,
                     {"EHLO ", "AUTH PLAIN", "AG5hdm9rZXRAZXhhbXBsZS50ZXN0AHNlY3JldA=="}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    std::vector<std::string> peerOptions;
    int waitMs;
    bool waitsTheBound;  // a silent server: the call takes the whole wait
};

class MailSenderFailureTest : public MailSenderTest,
                              public ::testing::WithParamInterface<FailureCase> {};

TEST_P(MailSenderFailureTest, GivesFalseWithinTheBound) {
    const FailureCase& row = GetParam();
    PeerProcess peer(peerArguments(row.peerOptions));
    ASSERT_TRUE(peer.ready());
    const auto start = Clock::now();
    EXPECT_FALSE(connectMailServer("127.0.0.1", peer.port(), account, password, row.waitMs));
    const long long elapsed = millisecondsSince(start);
    EXPECT_LT(elapsed, row.waitMs + 1500);
    if (row.waitsTheBound) {
        EXPECT_GE(elapsed, row.waitMs - 50);
    }
    EXPECT_FALSE(sendMail("s", "b", account, account).empty());
    EXPECT_TRUE(test::peerMessages(peer).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Servers, MailSenderFailureTest,
    ::testing::Values(
        FailureCase{"droppedAfterGreeting", {"--greeting", "drop"}, 300, false},
        FailureCase{"greetingRefused", {"--greeting", "refuse"}, 300, false},
        FailureCase{"neverGreets", {"--greeting", "silent"}, 300, true},
        FailureCase{"silentAfterEhlo", {"--silent-after", "EHLO"}, 300, true},
        FailureCase{"silentDuringLogin", {"--silent-after", "AUTH"}, 300, true},
        // The server would take the mail without a login; the
        // sender must not, once the login was refused.
        FailureCase{"loginRefused", {"--auth", "login", "--password", "other"}, 300, false},
        FailureCase{"plainRefused", {"--auth", "plain", "--password", "other"}, 300, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MailSenderTest, WaitsTwoSecondsOfSilenceByDefault) {
    PeerProcess peer(peerArguments({"--greeting", "silent"}));
    ASSERT_TRUE(peer.ready());
    const auto start = Clock::now();
    EXPECT_FALSE(connectMailServer("127.0.0.1", peer.port(), account, password));
    const long long elapsed = millisecondsSince(start);
    EXPECT_GE(elapsed, 1950);
    EXPECT_LT(elapsed, 3500);
}

TEST_F(MailSenderTest, NothingListeningGivesFalse) {
    EXPECT_FALSE(connectMailServer("127.0.0.1", 1, account, password, 300));
    EXPECT_FALSE(connectMailServer("127.0.0.1", 0, account, password, 300));
    EXPECT_FALSE(connectMailServer("127.0.0.1\r\nQUIT", 25, account, password, 300));
}

TEST_F(MailSenderTest, ConnectsByHostName) {
    PeerProcess peer(peerArguments({"--auth", "none"}));
    ASSERT_TRUE(peer.ready());
    EXPECT_TRUE(connectMailServer("localhost", peer.port(), account, password));
}

TEST_F(MailSenderTest, ANewConnectEndsTheOldOneWithQuit) {
    PeerProcess peer(peerArguments({}));
    ASSERT_TRUE(peer.ready());
    ASSERT_TRUE(connectMailServer("127.0.0.1", peer.port(), account, password));
    ASSERT_TRUE(connectMailServer("127.0.0.1", peer.port(), account, password));
    const std::vector<std::string> lines = test::peerLines(peer);
    const auto quit = std::find(lines.begin(), lines.end(), "1:QUIT");
    ASSERT_NE(quit, lines.end());
    EXPECT_EQ(quit + 1, std::find(lines.begin(), lines.end(), "2:EHLO " + hostName()));
}

TEST_F(MailSenderTest, EmptyServerClosesAndSendsNothing) {
    PeerProcess peer(peerArguments({}));
    ASSERT_TRUE(peer.ready());
    ASSERT_TRUE(connectMailServer("127.0.0.1", peer.port(), account, password));
    const auto start = Clock::now();
    EXPECT_FALSE(connectMailServer("", 25, account, password));
    EXPECT_LT(millisecondsSince(start), 1000);
    EXPECT_FALSE(sendMail("s", "b", account, account).empty());
    const std::vector<std::string> lines = test::peerLines(peer);
    EXPECT_EQ(lines.back(), "1:QUIT");
    EXPECT_FALSE(contains(lines, "1:MAIL FROM:<" + account + ">"));
}

TEST_F(MailSenderTest, RefusedRecipientNamesTheFailureAndResets) {
    PeerProcess peer(peerArguments({"--rcpt", "refuse"}));
    ASSERT_TRUE(peer.ready());
    ASSERT_TRUE(connectMailServer("127.0.0.1", peer.port(), account, password));
    const Text status = sendMail("s", "b", "nobody@example.test", account);
    EXPECT_NE(status.find("RCPT"), Text::npos) << status;
    EXPECT_NE(status.find("550"), Text::npos) << status;
    const std::vector<std::string> lines = test::peerLines(peer);
    EXPECT_TRUE(contains(lines, "1:RSET"));
    EXPECT_FALSE(contains(lines, "1:DATA"));
}

TEST_F(MailSenderTest, ControlCharactersNeverReachAnEnvelopeCommand) {
    PeerProcess peer(peerArguments({}));
    ASSERT_TRUE(peer.ready());
    ASSERT_TRUE(connectMailServer("127.0.0.1", peer.port(), account, password));
    const Text good = "to@example.test";
    const std::vector<std::pair<Text, Text>> rows = {
        {"to@example.test\r\nRCPT TO:<evil@example.test>", account},
        {"to@example.test\nDATA", account},
        {good, account + "\r\nRSET"},
        {good, Text("a\0b@example.test", 16)},
        {"", account},
    };
    for (const auto& [recipient, sender] : rows) {
        SCOPED_TRACE(recipient + " / " + sender);
        EXPECT_FALSE(sendMail("s", "b", recipient, sender).empty());
    }
    for (const std::string& line : test::peerLines(peer)) {
        EXPECT_EQ(line.find("MAIL"), std::string::npos) << line;
    }
}

TEST_F(MailSenderTest, ByteByByteServerTakesTheMail) {
    PeerProcess peer(peerArguments({"--bytewise"}));
    ASSERT_TRUE(peer.ready());
    ASSERT_TRUE(connectMailServer("127.0.0.1", peer.port(), account, password));
    EXPECT_EQ(sendMail("Report", "Hello", "to@example.test", account), "");
    const std::vector<std::string> messages = test::peerMessages(peer);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Subject: Report\r\n"), std::string::npos);
}

}  // namespace
}  // namespace navoket
