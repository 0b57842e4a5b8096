#include "mail/VerificationMail.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MailSender.h"
#include "tests/mail/BoxRecorder.h"
#include "tests/mail/MailAccount.h"
#include "tests/mail/SmtpPeers.h"
#include "text/CodePageText.h"

namespace navoket {
namespace {

using test::PeerProcess;

using test::account;
using test::password;
using test::recipient;

struct VerificationCase {
    const char* name;
    Text listenAddress;  // each row its own, so rows may run side by side
    Text server;
    Text password;
    const char* status;  // what the first box ends in
    bool delivered;
};

class VerificationMailTest : public ::testing::TestWithParam<VerificationCase> {
protected:
    void TearDown() override { connectMailServer("", 25, "", ""); }
};

// The verification mail always goes to port 25; the server listens there on
// its own loopback address.
TEST_P(VerificationMailTest, ShowsTheStatusThenSendsAndShowsWhereToLook) {
    const VerificationCase& row = GetParam();
    PeerProcess server(test::accountServer({"--host", row.listenAddress, "--port", "25"}));
    ASSERT_TRUE(server.ready());
    test::BoxRecorder recorder;

    sendVerificationMail(row.server, account, row.password, recipient);

    const std::vector<test::ShownBox> expected = {
        {ansiText("信息状态为") + ansiText(row.status), "Navoket", 0x2040},
        {ansiText("如果信息状态正确，那么一封标题为 <Navoket 验证> 的邮件将会发送至您的邮箱。"),
         "Navoket", 0x2040}};
    EXPECT_EQ(recorder.boxes(), expected);
    const nlohmann::json messages = test::serverMessages(server);
    ASSERT_EQ(messages.size(), row.delivered ? 1u : 0u);
    if (row.delivered) {
        EXPECT_EQ(messages[0]["mail_from"], account);
        EXPECT_EQ(messages[0]["rcpt_tos"], nlohmann::json::array({recipient}));
        EXPECT_EQ(messages[0]["headers"]["From"], account);
        EXPECT_EQ(messages[0]["subject"], "Navoket 验证");
        EXPECT_EQ(test::fromHex(messages[0]["body_hex"]),
                  ansiText("你好，这是一封来自 Navoket 主程序的验证邮件。"
                           "如果你不知道为什么会收到这封邮件，可能是他人误填导致的。"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, VerificationMailTest,
    ::testing::Values(
        VerificationCase{"correct", "127.0.25.11", "127.0.25.11", password, "真", true},
        VerificationCase{"wrongPassword", "127.0.25.12", "127.0.25.12", "wrong", "假", false},
        // HELO without login connects; this server then refuses the mail.
        VerificationCase{"emptyPassword", "127.0.25.13", "127.0.25.13", "", "真", false},
        VerificationCase{"emptyServer", "127.0.25.14", "", password, "假", false},
        VerificationCase{"nobodyListening", "127.0.25.15", "127.0.25.99", password, "假", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace navoket
