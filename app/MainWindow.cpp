#include "app/MainWindow.h"

#include <cstdint>
#include <mutex>
#include <utility>

#include <QEventLoop>
#include <QObject>

#include "app/SettingsWindow.h"
#include "app/UpdateWindow.h"
#include "app/settings/ProgramTexts.h"
#include "app/settings/Settings.h"
#include "lookup/LookupPublicAddress.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "text/CodePageText.h"
#include "watch/ManualCheck.h"
#include "watch/ui/PatrolWindow.h"

namespace navoket {
namespace {

FormDesign mainWindowDesign() {
    using enum ControlKind;
    return {"main",
            "船期变动检测",
            50,
            50,
            1039,
            117,
            {
                {"标签1", label, 16, 16, 40, 24, "船名"},
                {"编辑框1", editBox, 57, 16, 255, 21, ""},
                {"按钮4", button, 319, 10, 73, 30, "确认"},
                {"时钟1", timer, 0, 0, 0, 0, "", 1000},
                {"标签2", label, 485, 15, 40, 24, "日期："},
                {"标签3", label, 529, 15, 216, 24, "正在获取时间..."},
                {"按钮3", button, 758, 10, 80, 32, "自动巡查"},
                {"按钮2", button, 847, 10, 80, 32, "配置"},
                {"按钮1", button, 936, 10, 80, 32, "检测更新"},
                {"标签4", label, 16, 55, 344, 23, "加载中...."},
                {"标签5", label, 375, 55, 466, 24,
                 "该工具面向外贸企业人员追踪船舶动态的需求。是面向舟程汇览网站无盈利性质的软件。"},
                {"按钮6", button, 848, 48, 80, 32, "反馈和支持"},
                {"按钮5", button, 936, 48, 80, 32, "刷新缓存"},
            }};
}

// The browser engine's modes for our executable, read by the embedded browser
// of the update window.
constexpr std::uint32_t browserFeatureValue = 9999;
const char* const browserEmulationKey =
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
const char* const gpuRenderingKey =
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_GPU_RENDERING";

Text locationCaption(const Text& address) {
    return ansiText("操作在 ") + address + ansiText(" 上被安全执行。");
}

}  // namespace

// Where the lookup thread hands its result. The window clears receiver when it
// goes; holding the lock while posting keeps the receiver alive meanwhile, and
// a result posted to a receiver that goes before it runs is dropped with it.
struct MainWindow::LocationDelivery {
    std::mutex mutex;
    QObject* receiver = nullptr;
};

MainWindow::MainWindow()
    : m_form(mainWindowDesign()),
      m_locationReceiver(std::make_unique<QObject>()),
      m_locationDelivery(std::make_shared<LocationDelivery>()) {
    m_locationDelivery->receiver = m_locationReceiver.get();
    m_form.onCreated([this] { created(); });
    m_form.onTimer(ansiText("时钟1"), [this] { clockTick(); });
    m_form.onClicked(ansiText("按钮4"),
                     [this] { checkVessel(m_form.controlText(ansiText("编辑框1"))); });
    m_form.onClicked(ansiText("按钮5"), [] { refreshBaseline(RefreshCaller::mainWindow); });
    m_form.onClicked(ansiText("按钮2"), [] { openSettingsWindow(); });
    m_form.onClicked(ansiText("按钮1"), [] { openUpdateWindow(); });
    m_form.onClicked(ansiText("按钮3"), [] { openPatrolWindow(); });
    // "按钮6" ("反馈和支持") has no handler.
}

void MainWindow::created() {
    setFixedProgramTexts();
    if (!firstRunMarkerExists()) {
        firstRunSetup();
        showMessageBox(ansiText("欲正式使用该程序，请先配置您的邮箱信息和船名。"),
                       ansiText("使用须知"), messageBoxOk | messageBoxIconInformation);
        openSettingsWindow();
    }
    m_form.setCaption(ansiText("Navoket ") + programTexts().programVersion);
    // "标签4" keeps its design text "加载中...." until the lookup ends.
    startLocationLookup();
    // Failing registry writes are ignored, as the program always did.
    registrySetDword(registryCurrentUser, browserEmulationKey, executableName(),
                     browserFeatureValue);
    registrySetDword(registryCurrentUser, gpuRenderingKey, executableName(), browserFeatureValue);
    // "0" is the one unset value; anything else, the empty text included, is
    // a default vessel name.
    const Text name = readSetting(ansiText("Ship"), ansiText("Name"));
    if (name != "0") {
        m_form.setControlText(ansiText("编辑框1"), name);
    }
}

MainWindow::~MainWindow() {
    const std::lock_guard lock(m_locationDelivery->mutex);
    m_locationDelivery->receiver = nullptr;
}

void MainWindow::startLocationLookup() {
    m_locationPending = true;
    lookupPublicAddressInBackground(0, [this, delivery = m_locationDelivery](PublicAddress found) {
        const std::lock_guard lock(delivery->mutex);
        if (delivery->receiver != nullptr) {
            QMetaObject::invokeMethod(
                delivery->receiver,
                [this, address = std::move(found.address)] { showLocation(address); },
                Qt::QueuedConnection);
        }
    });
}

void MainWindow::showLocation(const Text& address) {
    m_locationPending = false;
    if (m_form.isOpen()) {
        m_form.setControlCaption(ansiText("标签4"), locationCaption(address));
    }
    if (m_locationWait != nullptr) {
        m_locationWait->quit();
    }
}

void MainWindow::waitForLocation() {
    if (!m_locationPending || m_locationWait != nullptr) {
        return;
    }
    QEventLoop loop;
    m_locationWait = &loop;
    loop.exec();
    m_locationWait = nullptr;
}

void MainWindow::clockTick() {
    m_form.setControlCaption(ansiText("标签3"), currentTimeText());
}

}  // namespace navoket
