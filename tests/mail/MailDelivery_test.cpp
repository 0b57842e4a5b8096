#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>

#include "platform/MailSender.h"
#include "tests/mail/MailAccount.h"
#include "tests/mail/SmtpPeers.h"

namespace navoket {
namespace {

using test::PeerProcess;

using test::account;
using test::password;
using test::recipient;

// "海鸥号" and "你好" in code page 936.
const Text seagull = "\xba\xa3\xc5\xb8\xba\xc5";
const Text hello = "\xc4\xe3\xba\xc3";

// A real SMTP server (aiosmtpd) that accepts one account, no TLS.
class MailDeliveryTest : public ::testing::Test {
protected:
    MailDeliveryTest() : m_server(test::accountServer()) {}
    void SetUp() override { ASSERT_TRUE(m_server.ready()); }
    void TearDown() override { connectMailServer("", 25, "", ""); }

    bool connect(const Text& user = account, const Text& secret = password) {
        return connectMailServer("127.0.0.1", m_server.port(), user, secret);
    }
    nlohmann::json messages() { return test::serverMessages(m_server); }

    PeerProcess m_server;
};

TEST_F(MailDeliveryTest, PlainAsciiMailArrivesWithItsHeaders) {
    ASSERT_TRUE(connect());
    EXPECT_EQ(sendMail("Weekly report", "Hello\r\nworld", recipient, account), "");
    const nlohmann::json all = messages();
    ASSERT_EQ(all.size(), 1u);
    const nlohmann::json& mail = all[0];
    EXPECT_EQ(mail["mail_from"], account);
    EXPECT_EQ(mail["rcpt_tos"], nlohmann::json::array({recipient}));
    EXPECT_EQ(mail["login"], account);
    const nlohmann::json& headers = mail["headers"];
    EXPECT_EQ(headers["From"], account);
    EXPECT_EQ(headers["To"], recipient);
    EXPECT_EQ(headers["Subject"], "Weekly report");
    EXPECT_EQ(headers["MIME-Version"], "1.0");
    EXPECT_EQ(mail["content_type"], "text/plain");
    EXPECT_EQ(mail["charset"], "us-ascii");
    EXPECT_EQ(mail["cte"], "base64");
    EXPECT_EQ(test::fromHex(mail["body_hex"]), "Hello\r\nworld");
    EXPECT_TRUE(std::regex_match(headers["Message-ID"].get<std::string>(),
                                 std::regex("<[^<>@ ]+@[^<>@ ]+>")));

    // The date is local time with its offset from UTC.
    const std::string date = headers["Date"];
    std::smatch parts;
    ASSERT_TRUE(
        std::regex_match(date, parts,
                         std::regex("(Mon|Tue|Wed|Thu|Fri|Sat|Sun), [0-9]{1,2} "
                                    "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4} "
                                    "[0-9]{2}:[0-9]{2}:[0-9]{2} ([+-])([0-9]{2})([0-9]{2})")))
        << date;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const long offset =
        (parts[3] == "-" ? -1 : 1) * (std::stol(parts[4]) * 3600 + std::stol(parts[5]) * 60);
    EXPECT_EQ(offset, local.tm_gmtoff);
}

struct ChineseCase {
    const char* name;
    Text subject;
    std::string subjectUtf8;  // what a mail reader shows
    Text body;
};

class MailDeliveryChineseTest : public MailDeliveryTest,
                                public ::testing::WithParamInterface<ChineseCase> {};

TEST_P(MailDeliveryChineseTest, SubjectAndBodyComeBackAsSent) {
    const ChineseCase& row = GetParam();
    ASSERT_TRUE(connect());
    EXPECT_EQ(sendMail(row.subject, row.body, recipient, account), "");
    const nlohmann::json all = messages();
    ASSERT_EQ(all.size(), 1u);
    const nlohmann::json& mail = all[0];
    EXPECT_EQ(mail["subject"], row.subjectUtf8);
    EXPECT_EQ(mail["charset"], "gb2312");
    EXPECT_EQ(mail["cte"], "base64");
    EXPECT_EQ(test::fromHex(mail["body_hex"]), row.body);
    EXPECT_LE(mail["max_line"].get<int>(), 78);
    EXPECT_NE(test::fromHex(mail["raw_hex"]).find("Subject: =?gb2312?B?"), std::string::npos);
}

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MailDeliveryChineseTest,
    ::testing::Values(ChineseCase{"vesselName", "Navoket " + seagull, "Navoket 海鸥号", hello},
                      // An odd ASCII byte before every character: a split in the middle of
                      // one would show as a broken character.
                      ChineseCase{"longMixedSubject", repeated("a" + seagull, 40),
                                  repeated("a海鸥号", 40), repeated(hello + "\r\n", 50)},
                      ChineseCase{"megabyteBodyLine", seagull, "海鸥号",
                                  repeated(hello, 128 * 1024) + repeated("x", 512 * 1024)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MailDeliveryTest, LineBreaksInTheSubjectInjectNoHeader) {
    ASSERT_TRUE(connect());
    const Text subject = "Hi\r\nBcc: evil@example.test\nX-Evil: 1\r" + seagull;
    EXPECT_EQ(sendMail(subject, "b", recipient, account), "");
    const nlohmann::json all = messages();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0]["subject"], "Hi  Bcc: evil@example.test X-Evil: 1 海鸥号");
    EXPECT_FALSE(all[0]["headers"].contains("Bcc"));
    EXPECT_FALSE(all[0]["headers"].contains("X-Evil"));
    EXPECT_EQ(all[0]["rcpt_tos"], nlohmann::json::array({recipient}));
}

TEST_F(MailDeliveryTest, OneConnectionCarriesSeveralMails) {
    ASSERT_TRUE(connect());
    EXPECT_EQ(sendMail("one", "1", recipient, account), "");
    EXPECT_EQ(sendMail("two", "2", recipient, account), "");
    const nlohmann::json all = messages();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1]["headers"]["Subject"], "two");
}

TEST_F(MailDeliveryTest, RefusedOrMissingLoginDeliversNothing) {
    struct Row {
        Text user;
        Text password;
        bool connected;
    };
    // A wrong password fails the login; an empty one greets with HELO, which
    // connects, and this server then refuses the mail.
    for (const Row& row : {Row{account, "wrong", false}, Row{"other@example.test", password, false},
                           Row{account, "", true}}) {
        SCOPED_TRACE(row.user + " / " + row.password);
        EXPECT_EQ(connect(row.user, row.password), row.connected);
        EXPECT_NE(sendMail("s", "b", recipient, account), "");
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(MailDeliveryTest, WithoutAConnectionNothingIsSent) {
    ASSERT_TRUE(connect());
    EXPECT_FALSE(connectMailServer("", 25, account, password));
    EXPECT_NE(sendMail("s", "b", recipient, account), "");
    EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace navoket
