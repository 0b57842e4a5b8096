#include "watch/ui/PatrolWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/settings/Settings.h"
#include "platform/Clock.h"
#include "platform/MailSender.h"
#include "tests/mail/BoxRecorder.h"
#include "tests/mail/SmtpPeers.h"
#include "tests/watch/WatchFixture.h"
#include "text/CodePageText.h"
#include "watch/VesselDigest.h"

namespace navoket {
namespace {

using test::PeerProcess;
using test::ShownBox;

const Text account = "navoket@example.test";
const Text password = "secret";
const Text recipient = "watch@example.test";
const unsigned red = 0x0000FF;
const unsigned blue = 0xC06000;
const unsigned black = 0;
const unsigned orange = 0x0080FF;
const unsigned informationBox = 0x2040;

// The patrol window on the offscreen platform, with the schedule-site
// stand-in, a fixed clock, recorded message boxes and, where a test mails,
// a real SMTP server on port 25 of the test's own loopback address.
class PatrolWindowTest : public test::WatchFixture {
protected:
    static void SetUpTestSuite() {
        WatchFixture::SetUpTestSuite();
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "patrol_window_tests";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
    }

    void SetUp() override {
        WatchFixture::SetUp();
        setLocalTimeSource([] { return LocalTime{2026, 12, 9, 18, 5, 7}; });
        m_boxes = std::make_unique<test::BoxRecorder>();
        writeSetting("Ship", "Name", vessel);
        site().setSchedule(vesselUtf8, "NINGBO,12-18 06:00,12-19 14:00");
        writeSetting("Email", "smtp", "127.0.25.99");  // nobody listens there
        writeSetting("Email", "account", account);
        writeSetting("Email", "password", password);
        writeSetting("Email", "receive", recipient);
        m_window = std::make_unique<PatrolWindow>();
        m_window->form().open();
    }

    void TearDown() override {
        m_window.reset();
        m_boxes.reset();
        setLocalTimeSource({});
        connectMailServer("", 25, "", "");
        WatchFixture::TearDown();
    }

    bool startMailServer(const Text& address) {
        m_mail = std::make_unique<PeerProcess>(PeerProcess::pythonScript(
            "smtp_server.py", {"--host", address, "--port", "25", "--user", account, "--password",
                               password, "--auth-required"}));
        writeSetting("Email", "smtp", address);
        return m_mail->ready();
    }
    nlohmann::json mails() { return test::serverMessages(*m_mail); }

    Form& form() { return m_window->form(); }
    Text caption(const char* control) { return form().controlCaption(ansiText(control)); }
    Text text(const char* control) { return form().controlText(ansiText(control)); }
    unsigned statusColour() { return form().controlColour(ansiText("标签5")); }
    int period() { return form().timerPeriod(ansiText("时钟1")); }
    bool click(const char* control) { return form().click(ansiText(control)); }
    void setPeriod(const Text& period) { form().typeText(ansiText("编辑框1"), period); }
    const std::vector<ShownBox>& boxes() { return m_boxes->boxes(); }

    // The state table's columns for a window that is not patrolling.
    void expectIdle() {
        EXPECT_EQ(period(), 0);
        EXPECT_FALSE(form().controlEnabled("stop"));
        EXPECT_TRUE(form().controlEnabled(ansiText("按钮2")));
    }
    void expectRunning(int expectedPeriod) {
        EXPECT_EQ(period(), expectedPeriod);
        EXPECT_TRUE(form().controlEnabled("stop"));
        EXPECT_FALSE(form().controlEnabled(ansiText("按钮2")));
    }

    // Lets the event loop run, timers included, until the condition holds.
    static bool waitFor(const std::function<bool()>& condition, int boundMs = 10000) {
        return QTest::qWaitFor(condition, boundMs);
    }

    const Text vessel = ansiText("海鸥号");
    const std::string vesselUtf8 = "海鸥号";
    const Text changeSubjectUtf8 = "Navoket 你所关注的海鸥号有最新变动";
    const Text timeText = ansiText("2026年12月9日18时5分7秒");

    std::unique_ptr<test::BoxRecorder> m_boxes;
    std::unique_ptr<PeerProcess> m_mail;
    std::unique_ptr<PatrolWindow> m_window;
};

TEST_F(PatrolWindowTest, ControlsAtTheirPlacesWithTheirTexts) {
    QWidget* window = form().window();
    EXPECT_EQ(form().caption(), ansiText("自动巡查"));
    EXPECT_EQ(window->size(), QSize(380, 249));
    struct Row {
        const char* name;
        QRect geometry;
        const char* text;
        bool editBox;
    };
    const Row rows[] = {
        {"标签1", {118, 9, 137, 24}, "创建自动巡查任务", false},
        {"标签2", {32, 40, 88, 24}, "巡逻周期（毫秒）", false},
        {"编辑框1", {136, 41, 208, 21}, "600000", true},
        {"标签3", {13, 67, 112, 24}, "将变动的消息发送至", false},
        {"编辑框2", {136, 68, 208, 21}, "watch@example.test", true},
        {"标签4", {60, 96, 66, 24}, "欲检测船名", false},
        {"编辑框3", {137, 97, 208, 21}, "海鸥号", true},
        {"按钮1", {15, 129, 104, 32}, "测试邮箱是否工作", false},
        {"stop", {135, 129, 104, 32}, "停止自动巡查", false},
        {"按钮2", {254, 129, 104, 32}, "开始自动巡查", false},
        {"按钮3", {16, 168, 104, 32}, "刷新存储缓存", false},
        {"标签5", {144, 176, 216, 40}, "状态：等待开始。", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget* control = form().controlWidget(ansiText(row.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), row.geometry);
        EXPECT_EQ(row.editBox ? text(row.name) : caption(row.name), ansiText(row.text));
    }
    EXPECT_EQ(form().controlKind(ansiText("时钟1")), ControlKind::timer);
    expectIdle();
}

TEST_F(PatrolWindowTest, StartShowsThePeriodAsTypedAndRunsTheTimer) {
    struct Row {
        const char* name;
        Text typed;
        int period;
    };
    const Row rows[] = {
        {"default", "600000", 600000},
        {"full-width digits", ansiText("６０００"), 6000},
        {"leading blanks and a sign", "  +7000ms", 7000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        setPeriod(row.typed);
        const std::size_t shown = boxes().size();
        ASSERT_TRUE(click("按钮2"));
        EXPECT_EQ(caption("标签5"),
                  ansiText("最新的检测任务将会在 ") + row.typed + ansiText(" ms 后开始。"));
        expectRunning(row.period);
        ASSERT_EQ(boxes().size(), shown + 1);
        EXPECT_EQ(boxes().back(),
                  (ShownBox{ansiText("创建自动巡查成功"), "Navoket", informationBox}));
        // A running patrol cannot be started again.
        EXPECT_FALSE(click("按钮2"));

        ASSERT_TRUE(click("stop"));
        EXPECT_EQ(caption("标签5"), ansiText("停止自动巡查成功。"));
        EXPECT_EQ(statusColour(), black);
        expectIdle();
        EXPECT_EQ(boxes().size(), shown + 1);
        EXPECT_FALSE(click("stop"));
    }
}

TEST_F(PatrolWindowTest, APeriodThatIsNoPositiveNumberStartsNothing) {
    for (const Text& typed : {Text("abc"), Text("0"), Text("-5"), Text(""), ansiText("　"),
                              Text("-0"), ansiText("－６")}) {
        SCOPED_TRACE(ansiToUtf8(typed));
        setPeriod(typed);
        const std::size_t shown = boxes().size();
        ASSERT_TRUE(click("按钮2"));
        ASSERT_EQ(boxes().size(), shown + 1);
        EXPECT_EQ(boxes().back().flags, informationBox);
        EXPECT_EQ(boxes().back().title, "Navoket");
        EXPECT_NE(boxes().back().text.find(ansiText("巡逻周期")), Text::npos);
        EXPECT_EQ(caption("标签5"), ansiText("状态：等待开始。"));
        expectIdle();
    }
}

TEST_F(PatrolWindowTest, AnUnchangedScheduleKeepsThePatrolRunning) {
    ASSERT_TRUE(click("按钮3"));  // "刷新存储缓存": the baseline now matches
    EXPECT_EQ(readSetting("Ship", "Data"), fetchVesselDigest(vessel).digest);
    EXPECT_TRUE(boxes().empty());

    setPeriod("200");
    ASSERT_TRUE(click("按钮2"));
    const Text unchanged = ansiText("上一在 ") + timeText + ansiText(" 没有发现新变动。");
    ASSERT_TRUE(waitFor([&] { return caption("标签5") == unchanged; }));
    EXPECT_EQ(statusColour(), blue);
    expectRunning(200);
    // A second tick comes as well, and still nothing but the label changes.
    setLocalTimeSource([] { return LocalTime{2026, 12, 9, 18, 6, 0}; });
    ASSERT_TRUE(waitFor([&] {
        return caption("标签5") == ansiText("上一在 2026年12月9日18时6分 没有发现新变动。");
    }));
    expectRunning(200);
    EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(PatrolWindowTest, AChangeMailsOnceStopsAndSaysSo) {
    ASSERT_TRUE(startMailServer("127.0.25.31"));
    // The typed name is checked; the notice names the stored vessel.
    site().setSchedule("OTHER", "BUSAN,12-23 07:00,12-23 22:00");
    form().typeText(ansiText("编辑框3"), "OTHER");
    form().typeText(ansiText("编辑框2"), "elsewhere@example.test");
    writeSetting("Ship", "Data", fetchVesselDigest(vessel).digest);

    setPeriod("200");
    ASSERT_TRUE(click("按钮2"));
    ASSERT_TRUE(waitFor([&] { return boxes().size() == 2; }));
    EXPECT_EQ(caption("标签5"), ansiText("最新的变动在 ") + timeText + ansiText(" 被发现。"));
    EXPECT_EQ(statusColour(), red);
    expectIdle();
    EXPECT_EQ(boxes().back(), (ShownBox{ansiText("由于在 ") + timeText +
                                            ansiText(" 发现新变动。因此任务自动停止了。"),
                                        "Navoket", informationBox}));
    nlohmann::json sent = mails();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["subject"], changeSubjectUtf8);
    EXPECT_EQ(sent[0]["rcpt_tos"], nlohmann::json::array({recipient}));
    // The tick never writes the baseline.
    EXPECT_EQ(readSetting("Ship", "Data"), fetchVesselDigest(vessel).digest);

    // Starting again without a refresh finds the same change and mails again;
    // start leaves the colour alone.
    ASSERT_TRUE(click("按钮2"));
    EXPECT_EQ(statusColour(), red);
    ASSERT_TRUE(waitFor([&] { return boxes().size() == 4; }));
    EXPECT_EQ(mails().size(), 2u);
    expectIdle();
}

TEST_F(PatrolWindowTest, AFailedFetchIsNotedAndThePatrolGoesOn) {
    ASSERT_TRUE(startMailServer("127.0.25.32"));
    writeSetting("Ship", "Data", fetchVesselDigest(vessel).digest);
    struct Row {
        const char* name;
        std::function<void()> breakIt;
    };
    const Row rows[] = {
        {"unknown vessel", [&] { site().remove(vesselUtf8); }},
        {"error page with the markers",
         [&] {
             site().setPage(vesselUtf8, "<div style=\"width:1200px;margin:0 auto\">down<br> <br>",
                            503);
         }},
        {"site unreachable", [] { pointScheduleAt("127.0.25.98:9"); }},
    };
    setPeriod("60000");
    ASSERT_TRUE(click("按钮2"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.breakIt();
        m_window->patrolTick();
        const Text status = caption("标签5");
        EXPECT_EQ(status.rfind(ansiText("在 ") + timeText + ansiText(" 的检测失败："), 0), 0u)
            << ansiToUtf8(status);
        EXPECT_EQ(statusColour(), orange);
        expectRunning(60000);
        EXPECT_EQ(boxes().size(), 1u);
        EXPECT_TRUE(mails().empty());
    }
    // Once the site answers again a real change still mails once and stops.
    pointScheduleAt(site().host());
    site().setSchedule(vesselUtf8, "NINGBO,12-18 06:00,12-19 20:00");
    m_window->patrolTick();
    EXPECT_EQ(statusColour(), red);
    expectIdle();
    EXPECT_EQ(mails().size(), 1u);
}

TEST_F(PatrolWindowTest, TestMailUsesTheStoredSettings) {
    ASSERT_TRUE(startMailServer("127.0.25.33"));
    form().typeText(ansiText("编辑框2"), "elsewhere@example.test");
    ASSERT_TRUE(click("按钮1"));
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[0].text, ansiText("信息状态为真"));
    const nlohmann::json sent = mails();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["subject"], "Navoket 验证");
    EXPECT_EQ(sent[0]["rcpt_tos"], nlohmann::json::array({recipient}));
    expectIdle();
}

}  // namespace
}  // namespace navoket
