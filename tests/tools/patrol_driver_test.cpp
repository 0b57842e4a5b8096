#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "tests/mail/SmtpPeers.h"
#include "tests/support/PeerProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/tools/DriverSession.h"
#include "tests/tools/DriverTexts.h"

namespace navoket::test {
namespace {

using Json = nlohmann::json;

// Code-page-936 bytes of the control names and texts the tests use.
const std::string patrolButton = "\xb0\xb4\xc5\xa5\x33";       // 按钮3, main window
const std::string startButton = "\xb0\xb4\xc5\xa5\x32";        // 按钮2
const std::string refreshButton = "\xb0\xb4\xc5\xa5\x33";      // 按钮3, patrol window
const std::string periodBox = "\xb1\xe0\xbc\xad\xbf\xf2\x31";  // 编辑框1
const std::string nameBox = "\xb1\xe0\xbc\xad\xbf\xf2\x33";    // 编辑框3
const std::string statusLabel = "\xb1\xea\xc7\xa9\x35";        // 标签5
const std::string timer = "\xca\xb1\xd6\xd3\x31";              // 时钟1
const std::string started =                                    // 创建自动巡查成功
    "\xb4\xb4\xbd\xa8\xd7\xd4\xb6\xaf\xd1\xb2\xb2\xe9\xb3\xc9\xb9\xa6";
const std::string stoppedByChange = "\xd3\xc9\xd3\xda\xd4\xda\x20";  // "由于在 "
const std::string periodWord = "\xd1\xb2\xc2\xdf\xd6\xdc\xc6\xda";   // 巡逻周期
const std::string statusTrue =                                       // 信息状态为真
    "\xd0\xc5\xcf\xa2\xd7\xb4\xcc\xac\xce\xaa\xd5\xe6";
const std::string statusFalse =  // 信息状态为假
    "\xd0\xc5\xcf\xa2\xd7\xb4\xcc\xac\xce\xaa\xbc\xd9";

const std::string vessel = "ORIENT LARK";  // a vessel the stand-in knows
const std::string account = "navoket@example.test";
const std::string password = "secret";
const std::string recipient = "watch@example.test";
// The mail server listens on port 25, as the program always mails there; each
// test has a loopback address of its own, since ctest runs them side by side.
std::string mailHostOfThisTest() {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const char* const tests[] = {
        "AChangeMailsOnceAndStopsThePatrol", "AFailedTickMailsNothingAndKeepsRunning",
        "APeriodThatIsNoPositiveNumberIsRefusedInABox", "VerificationMailNeedsTheLogin"};
    int octet = 61;
    for (const char* test : tests) {
        if (name == test) {
            break;
        }
        ++octet;
    }
    return "127.0.25." + std::to_string(octet);
}
constexpr int informationBox = 0x2040;
constexpr int red = 0x0000FF;
constexpr int blue = 0xC06000;

// The program through its driver: the schedule-site stand-in, a real SMTP
// server that would take mail without a login, and settings that point at both.
class PatrolDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(site.ready());
        ASSERT_TRUE(mail.ready());
        ASSERT_TRUE(driver.started());
        call("firstRunSetup", {{"root", root()}});
        const std::map<std::string, std::map<std::string, std::string>> settings{
            {"Endpoints",
             {{"schedule", "127.0.0.1:" + std::to_string(site.port())},
              {"lookup0", "127.0.0.1:1"}}},
            {"Email",
             {{"smtp", mailHost},
              {"account", account},
              {"password", password},
              {"receive", recipient}}},
            {"Ship", {{"Name", vessel}}}};
        for (const auto& [section, values] : settings) {
            for (const auto& [key, value] : values) {
                setting(section, key, value);
            }
        }
        ASSERT_EQ(call("ui.start", {{"root", root()}})["result"], true);
    }

    Json call(const std::string& name, Json args = Json::object()) {
        return driver.call({{"id", ++lastId}, {"call", name}, {"args", std::move(args)}});
    }
    void setting(const std::string& section, const std::string& key, const std::string& value) {
        call("writeSetting",
             {{"root", root()}, {"section", section}, {"key", key}, {"value", value}});
    }
    Json get(const std::string& control, const std::string& prop) {
        return call("ui.get",
                    {{"window", "patrol"}, {"control", chars(control)}, {"prop", prop}})["result"];
    }
    Json click(const std::string& control) {
        return call("ui.click", {{"window", "patrol"}, {"control", chars(control)}})["result"];
    }
    void type(const std::string& control, const std::string& text) {
        call("ui.set", {{"window", "patrol"}, {"control", chars(control)}, {"text", chars(text)}});
    }
    Json boxes() { return call("ui.boxes")["result"]; }
    // Lets the timer run until the condition holds, at most about 15 s.
    bool waitFor(const std::function<bool()>& condition) {
        for (int wait = 0; wait < 150; ++wait) {
            if (condition()) {
                return true;
            }
            call("ui.wait", {{"ms", 100}});
        }
        return condition();
    }
    // "自动巡查" answers only when the patrol window has closed.
    void openPatrol() {
        ASSERT_TRUE(driver.clickOpeningModal("main", chars(patrolButton)));
        ASSERT_EQ(call("ui.windows")["result"], (Json{"main", "patrol"}));
    }
    void closePatrol() {
        auto replies = driver.closeModalWindow("patrol");
        EXPECT_EQ(replies["open"], true);
        EXPECT_EQ(replies["close"], true);
    }
    std::string root() const { return folder.path().string(); }

    TempFolder folder;
    const std::string mailHost = mailHostOfThisTest();
    PeerProcess site{
        {"/usr/bin/python3", NAVOKET_SOURCE_DIR "/tools/schedule-site/schedule_site.py"}};
    PeerProcess mail{PeerProcess::pythonScript(
        "smtp_server.py",
        {"--host", mailHost, "--port", "25", "--user", account, "--password", password})};
    DriverSession driver;
    int lastId = 0;
};

TEST_F(PatrolDriverTest, AChangeMailsOnceAndStopsThePatrol) {
    openPatrol();
    EXPECT_EQ(click(refreshButton), true);  // "刷新存储缓存": the baseline now matches
    EXPECT_EQ(boxes(), Json::array());
    type(periodBox, "300");
    EXPECT_EQ(click(startButton), true);
    const Json shown = boxes();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(bytesOf(shown[0]["text"]), started);
    EXPECT_EQ(shown[0]["flags"], informationBox);
    EXPECT_EQ(get(timer, "period"), 300);
    ASSERT_TRUE(waitFor([&] { return get(statusLabel, "colour") == blue; }));

    setting("Ship", "Data", "0");  // the schedule no longer matches the baseline
    ASSERT_TRUE(waitFor([&] { return get(timer, "period") == 0; }));
    EXPECT_EQ(get(statusLabel, "colour"), red);
    EXPECT_EQ(get("stop", "enabled"), false);
    EXPECT_EQ(get(startButton, "enabled"), true);
    const Json stopped = boxes();
    ASSERT_EQ(stopped.size(), 1U);
    EXPECT_TRUE(bytesOf(stopped[0]["text"]).starts_with(stoppedByChange));
    EXPECT_EQ(stopped[0]["flags"], informationBox);
    const Json mails = serverMessages(mail);
    ASSERT_EQ(mails.size(), 1U);
    EXPECT_EQ(mails[0]["subject"], "Navoket 你所关注的" + vessel + "有最新变动");
    EXPECT_EQ(mails[0]["rcpt_tos"], Json::array({recipient}));
    EXPECT_EQ(mails[0]["login"], account);
    closePatrol();
}

// A tick without a block (the stand-in knows no such vessel) is no change:
// no mail, and the patrol keeps running until it is stopped.
TEST_F(PatrolDriverTest, AFailedTickMailsNothingAndKeepsRunning) {
    openPatrol();
    type(nameBox, "NO SUCH VESSEL");
    type(periodBox, "300");
    EXPECT_EQ(click(startButton), true);
    boxes();
    const Json startText = get(statusLabel, "caption");
    ASSERT_TRUE(waitFor([&] { return get(statusLabel, "caption") != startText; }));
    call("ui.wait", {{"ms", 700}});
    EXPECT_EQ(get(timer, "period"), 300);
    EXPECT_EQ(get("stop", "enabled"), true);
    EXPECT_NE(get(statusLabel, "colour"), red);
    EXPECT_EQ(boxes(), Json::array());
    EXPECT_EQ(serverMessages(mail), Json::array());
    EXPECT_EQ(click("stop"), true);
    EXPECT_EQ(get(timer, "period"), 0);
    closePatrol();
}

TEST_F(PatrolDriverTest, APeriodThatIsNoPositiveNumberIsRefusedInABox) {
    openPatrol();
    for (const std::string typed : {"abc", "0", "-5", ""}) {
        SCOPED_TRACE(typed);
        type(periodBox, typed);
        EXPECT_EQ(click(startButton), true);
        const Json shown = boxes();
        ASSERT_EQ(shown.size(), 1U);
        EXPECT_NE(bytesOf(shown[0]["text"]).find(periodWord), std::string::npos);
        EXPECT_EQ(shown[0]["flags"], informationBox);
        EXPECT_EQ(shown[0]["title"], "Navoket");
        EXPECT_EQ(get(timer, "period"), 0);
        EXPECT_EQ(get("stop", "enabled"), false);
        EXPECT_EQ(get(startButton, "enabled"), true);
    }
    closePatrol();
}

// The verification mail through the driver: a refused login shows "假" and,
// although this server would take mail without a login, sends nothing.
TEST_F(PatrolDriverTest, VerificationMailNeedsTheLogin) {
    const struct {
        std::string password;
        std::string status;
        std::size_t mails;
    } rows[] = {{password, statusTrue, 1}, {"wrong", statusFalse, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.password);
        const Json reply = call("sendVerificationMail", {{"server", mailHost},
                                                         {"user", account},
                                                         {"password", row.password},
                                                         {"recipient", recipient},
                                                         {"boxes", Json::array()}});
        const Json& shown = reply["out"]["boxes"];
        ASSERT_EQ(shown.size(), 2U);
        EXPECT_EQ(bytesOf(shown[0]["text"]), row.status);
        EXPECT_EQ(shown[1]["flags"], informationBox);
        EXPECT_EQ(serverMessages(mail).size(), row.mails);
        askPeer(mail, R"({"cmd":"clear"})");
    }
}

}  // namespace
}  // namespace navoket::test
