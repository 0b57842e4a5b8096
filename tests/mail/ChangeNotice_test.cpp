#include "mail/ChangeNotice.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "app/settings/Settings.h"
#include "platform/DriveC.h"
#include "platform/MailSender.h"
#include "tests/mail/BoxRecorder.h"
#include "tests/mail/MailAccount.h"
#include "tests/mail/SmtpPeers.h"
#include "tests/support/TempFolder.h"
#include "text/CodePageText.h"

namespace navoket {
namespace {

using test::PeerProcess;

using test::account;
using test::password;
using test::recipient;

// A change notice from the stored settings to a real server on port 25. Each
// test has its own loopback address, so tests may run side by side.
class ChangeNoticeTest : public ::testing::Test {
protected:
    void TearDown() override { connectMailServer("", 25, "", ""); }

    // Starts the server and stores settings that point at it.
    bool start(const Text& address) {
        m_address = address;
        m_server =
            std::make_unique<PeerProcess>(test::accountServer({"--host", address, "--port", "25"}));
        storeSettings();
        return m_server->ready();
    }
    void storeSettings() {
        firstRunSetup();
        writeSetting("Email", "smtp", m_address);
        writeSetting("Email", "account", account);
        writeSetting("Email", "password", password);
        writeSetting("Email", "receive", recipient);
        writeSetting("Ship", "Name", ansiText("海鸥号"));
    }

    // Sends the notice; a notice never shows a box.
    nlohmann::json notice() {
        test::BoxRecorder recorder;
        sendChangeNotice();
        EXPECT_TRUE(recorder.boxes().empty());
        return test::serverMessages(*m_server);
    }

    test::TempFolder m_drive;
    Text m_address;
    std::unique_ptr<PeerProcess> m_server;
};

TEST_F(ChangeNoticeTest, MailsTheStoredVesselsChange) {
    ASSERT_TRUE(start("127.0.25.21"));
    const nlohmann::json messages = notice();
    ASSERT_EQ(messages.size(), 1u);
    const nlohmann::json& mail = messages[0];
    EXPECT_EQ(mail["login"], account);
    EXPECT_EQ(mail["mail_from"], account);
    EXPECT_EQ(mail["rcpt_tos"], nlohmann::json::array({recipient}));
    EXPECT_EQ(mail["subject"], "Navoket 你所关注的海鸥号有最新变动");
    EXPECT_NE(test::fromHex(mail["raw_hex"]).find("Subject: =?gb2312?B?"), std::string::npos);
    EXPECT_EQ(mail["charset"], "gb2312");
    EXPECT_EQ(test::fromHex(mail["body_hex"]),
              ansiText("你好，这是一封来自 Navoket 主程序的邮件。旨在告诉你你所关注的船有新的移动"
                       "轨迹。如果你不知道为什么会收到这封邮件，可能是他人误填导致的。"));
}

TEST_F(ChangeNoticeTest, LineBreaksInTheVesselNameStayInTheSubject) {
    ASSERT_TRUE(start("127.0.25.22"));
    // The settings writer keeps line breaks out of a value; a file edited by
    // hand can still hold a lone CR inside one.
    std::ofstream(hostPath(settingsFilePath), std::ios::binary | std::ios::trunc)
        << "[Email]\r\nsmtp=" << m_address << "\r\naccount=" << account
        << "\r\npassword=" << password << "\r\nreceive=" << recipient
        << "\r\n[Ship]\r\nName=A\rBcc: evil@example.test\r\n";
    const nlohmann::json messages = notice();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(messages[0]["headers"].contains("Bcc"));
    EXPECT_EQ(messages[0]["rcpt_tos"], nlohmann::json::array({recipient}));
    // Whatever the settings file keeps of such a name, it reads as one line.
    const std::string subject = messages[0]["subject"];
    EXPECT_EQ(subject.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(subject.rfind("Navoket 你所关注的A", 0), 0u) << subject;
}

TEST_F(ChangeNoticeTest, BadSettingsSendNothingAndShowNothing) {
    ASSERT_TRUE(start("127.0.25.23"));
    const std::pair<Text, Text> rows[] = {
        {"receive", ""}, {"password", "wrong"}, {"smtp", ""}, {"smtp", "127.0.25.98"}};
    for (const auto& [key, value] : rows) {
        SCOPED_TRACE(key + "=" + value);
        storeSettings();
        writeSetting("Email", key, value);
        EXPECT_TRUE(notice().empty());
    }
}

}  // namespace
}  // namespace navoket
