#include "watch/ui/PatrolWindow.h"

#include "app/settings/Settings.h"
#include "mail/ChangeNotice.h"
#include "mail/VerificationMail.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/TextToInteger.h"
#include "text/CodePageText.h"
#include "watch/ManualCheck.h"
#include "watch/VesselDigest.h"

namespace navoket {
namespace {

// Status colours as Windows colour values (0x00BBGGRR).
constexpr unsigned changeColour = 0x0000FF;     // red
constexpr unsigned unchangedColour = 0xC06000;  // blue
constexpr unsigned stoppedColour = 0x000000;    // black
constexpr unsigned failedColour = 0x0080FF;     // orange: red 255, green 128, blue 0

FormDesign patrolWindowDesign() {
    using enum ControlKind;
    return {"patrol",
            "自动巡查",
            50,
            50,
            380,
            249,
            {
                {"标签1", label, 118, 9, 137, 24, "创建自动巡查任务"},
                {"标签2", label, 32, 40, 88, 24, "巡逻周期（毫秒）"},
                {"编辑框1", editBox, 136, 41, 208, 21, "600000"},
                {"标签3", label, 13, 67, 112, 24, "将变动的消息发送至"},
                {"编辑框2", editBox, 136, 68, 208, 21, ""},
                {"标签4", label, 60, 96, 66, 24, "欲检测船名"},
                {"编辑框3", editBox, 137, 97, 208, 21, ""},
                {"按钮1", button, 15, 129, 104, 32, "测试邮箱是否工作"},
                {"stop", button, 135, 129, 104, 32, "停止自动巡查"},
                {"按钮2", button, 254, 129, 104, 32, "开始自动巡查"},
                {"按钮3", button, 16, 168, 104, 32, "刷新存储缓存"},
                {"标签5", label, 144, 176, 216, 40, "状态：等待开始。"},
                {"时钟1", timer, 200, 40, 26, 26, "", 0},
            }};
}

const Text& title() {
    static const Text text = "Navoket";
    return text;
}

}  // namespace

PatrolWindow::PatrolWindow() : m_form(patrolWindowDesign()) {
    m_form.onCreated([this] { created(); });
    m_form.onClicked(ansiText("按钮2"), [this] { start(); });
    m_form.onClicked("stop", [this] { stop(); });
    m_form.onClicked(ansiText("按钮1"), [this] { sendTestMail(); });
    m_form.onClicked(ansiText("按钮3"), [] { refreshBaseline(RefreshCaller::patrolWindow); });
    m_form.onTimer(ansiText("时钟1"), [this] { patrolTick(); });
}

// The recipient box only shows where notices go; nothing reads it back.
void PatrolWindow::created() {
    m_form.setControlText(ansiText("编辑框2"), readSetting("Email", "receive"));
    m_form.setControlEnabled("stop", false);
    m_form.setControlText(ansiText("编辑框3"), readSetting("Ship", "Name"));
}

void PatrolWindow::showRunning(bool running) {
    m_form.setControlEnabled("stop", running);
    m_form.setControlEnabled(ansiText("按钮2"), !running);
}

void PatrolWindow::setStatus(const Text& text, unsigned colour) {
    const Text status = ansiText("标签5");
    m_form.setControlCaption(status, text);
    m_form.setControlColour(status, colour);
}

// The first check runs one full period after the start. A period that is
// not a positive number would start no timer; rather than show a running
// patrol that never ticks, the window says so and stays as it was.
void PatrolWindow::start() {
    const Text periodText = m_form.controlText(ansiText("编辑框1"));
    const int period = textToInteger(periodText);
    if (period <= 0) {
        // Like every box of this window: information icon, task-modal.
        showMessageBox(ansiText("巡逻周期必须是大于 0 的整数（毫秒），自动巡查没有开始。"), title(),
                       messageBoxOk | messageBoxIconInformation);
        return;
    }
    const Text status = ansiText("标签5");
    m_form.setControlCaption(
        status, ansiText("最新的检测任务将会在 ") + periodText + ansiText(" ms 后开始。"));
    m_form.setTimerPeriod(ansiText("时钟1"), period);
    showRunning(true);
    showMessageBox(ansiText("创建自动巡查成功"), title(), messageBoxOk | messageBoxIconInformation);
}

void PatrolWindow::stop() {
    m_form.setTimerPeriod(ansiText("时钟1"), 0);
    showRunning(false);
    setStatus(ansiText("停止自动巡查成功。"), stoppedColour);
}

void PatrolWindow::sendTestMail() {
    sendVerificationMail(readSetting("Email", "smtp"), readSetting("Email", "account"),
                         readSetting("Email", "password"), readSetting("Email", "receive"));
}

void PatrolWindow::patrolTick() {
    const VesselFetch fetch = fetchVesselDigest(m_form.controlText(ansiText("编辑框3")));
    // A failed fetch, or an error page that happens to carry the markers, says
    // nothing about the schedule: it is noted, no notice goes out and the
    // patrol keeps running, so a passing outage neither mails nor stops it.
    if (!fetch.hasBlock || fetch.fromErrorPage()) {
        const Text why = fetch.hasBlock ? errorPageReason(fetch.status) : fetch.failure;
        setStatus(ansiText("在 ") + currentTimeText() + ansiText(" 的检测失败：") + why +
                      ansiText("。巡查继续。"),
                  failedColour);
        return;
    }
    if (fetch.digest == readSetting("Ship", "Data")) {
        setStatus(ansiText("上一在 ") + currentTimeText() + ansiText(" 没有发现新变动。"),
                  unchangedColour);
        return;
    }
    setStatus(ansiText("最新的变动在 ") + currentTimeText() + ansiText(" 被发现。"), changeColour);
    sendChangeNotice();
    // Stopped before the box, so no second tick runs while it is open; the
    // time is taken anew after the mail.
    m_form.setTimerPeriod(ansiText("时钟1"), 0);
    showRunning(false);
    showMessageBox(
        ansiText("由于在 ") + currentTimeText() + ansiText(" 发现新变动。因此任务自动停止了。"),
        title(), messageBoxOk | messageBoxIconInformation);
}

void openPatrolWindow() {
    PatrolWindow window;
    window.loadModal();
}

}  // namespace navoket
