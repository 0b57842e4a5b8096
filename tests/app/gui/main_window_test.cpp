#include <filesystem>

#include <QTimer>
#include <QtTest>

#include "app/MainWindow.h"
#include "app/settings/Settings.h"
#include "platform/Clock.h"
#include "platform/DriveC.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/ui/UiText.h"
#include "platform/ui/WindowRegistry.h"
#include "tests/app/gui/GuiTestSupport.h"

using navoket::Form;
using navoket::MainWindow;
using navoket::Text;
using navoket::test::cp;
using navoket::test::GuiFixture;
using navoket::test::shown;

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controlsAtTheirPlaces_data();
    void controlsAtTheirPlaces();
    void firstRunShowsNoticeThenSettingsThenCaption();
    void laterRunSetsCaptionLocationAndRegistry();
    void nameBoxTakesEveryNameButZero_data();
    void nameBoxTakesEveryNameButZero();
    void missingSettingsFileGivesEmptyName();
    void clockShowsCurrentTimeText();
    void configButtonOpensSettingsModally();
};

void MainWindowTest::controlsAtTheirPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char* name, QRect geometry, const char* caption) {
        QTest::newRow(name) << QString::fromUtf8(name) << geometry << QString::fromUtf8(caption);
    };
    row("标签1", {16, 16, 40, 24}, "船名");
    row("编辑框1", {57, 16, 255, 21}, "");
    row("按钮4", {319, 10, 73, 30}, "确认");
    row("标签2", {485, 15, 40, 24}, "日期：");
    row("标签3", {529, 15, 216, 24}, "正在获取时间...");
    row("按钮3", {758, 10, 80, 32}, "自动巡查");
    row("按钮2", {847, 10, 80, 32}, "配置");
    row("按钮1", {936, 10, 80, 32}, "检测更新");
    row("标签4", {16, 55, 344, 23}, "加载中....");
    row("标签5", {375, 55, 466, 24},
        "该工具面向外贸企业人员追踪船舶动态的需求。是面向舟程汇览网站无盈利性质的软件。");
    row("按钮6", {848, 48, 80, 32}, "反馈和支持");
    row("按钮5", {936, 48, 80, 32}, "刷新缓存");
}

// The design state, before the creation handler has run.
void MainWindowTest::controlsAtTheirPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    GuiFixture fixture;
    MainWindow window;
    QWidget* top = window.form().window();
    QCOMPARE(top->windowTitle(), QString::fromUtf8("船期变动检测"));
    QCOMPARE(top->size(), QSize(1039, 117));
    auto* control = top->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->geometry(), geometry);
    const Text control936 = navoket::fromQString(name);
    const Text text = window.form().controlKind(control936) == navoket::ControlKind::editBox
                          ? window.form().controlText(control936)
                          : window.form().controlCaption(control936);
    QCOMPARE(shown(text), caption);
    QCOMPARE(window.form().timerPeriod(cp("时钟1")), 1000);
}

void MainWindowTest::firstRunShowsNoticeThenSettingsThenCaption() {
    GuiFixture fixture;
    MainWindow window;
    std::size_t boxesWhileSettingsOpen = 0;
    QString captionWhileSettingsOpen;
    QStringList windowsWhileSettingsOpen;
    QTimer::singleShot(0, [&] {
        fixture.keepLookupOnLoopback();
        for (const Form* form : navoket::openForms()) {
            windowsWhileSettingsOpen << shown(form->windowName());
        }
        boxesWhileSettingsOpen = fixture.boxes().size();
        captionWhileSettingsOpen = shown(window.form().caption());
        Form* settings = navoket::findOpenForm("settings");
        QVERIFY(settings != nullptr);
        QVERIFY(settings->typeText("name", "EVER GIVEN"));
        QVERIFY(settings->click(cp("按钮1")));
        settings->close();
    });
    window.open();

    QCOMPARE(windowsWhileSettingsOpen,
             (QStringList{QStringLiteral("main"), QStringLiteral("settings")}));
    QCOMPARE(boxesWhileSettingsOpen, std::size_t{1});
    QCOMPARE(captionWhileSettingsOpen, QString::fromUtf8("船期变动检测"));
    QCOMPARE(shown(fixture.boxes().at(0).text),
             QString::fromUtf8("欲正式使用该程序，请先配置您的邮箱信息和船名。"));
    QCOMPARE(shown(fixture.boxes().at(0).title), QString::fromUtf8("使用须知"));
    QCOMPARE(fixture.boxes().at(0).flags, 0x2040U);
    QVERIFY(navoket::firstRunMarkerExists());
    QCOMPARE(window.form().caption(), Text("Navoket 0.2"));
    // The name saved in the settings window meanwhile is the default name.
    QCOMPARE(window.form().controlText(cp("编辑框1")), Text("EVER GIVEN"));
    QVERIFY(window.form().window()->isVisible());
}

void MainWindowTest::laterRunSetsCaptionLocationAndRegistry() {
    GuiFixture fixture;
    fixture.prepareEarlierRun("0");
    MainWindow window;
    window.open();
    QVERIFY(fixture.boxes().empty());
    QCOMPARE(navoket::openForms().size(), std::size_t{1});
    QCOMPARE(window.form().caption(), Text("Navoket 0.2"));
    // The lookup ends after the creation handler; its service refuses here.
    QCOMPARE(shown(window.form().controlCaption(cp("标签4"))), QString::fromUtf8("加载中...."));
    window.waitForLocation();
    QCOMPARE(shown(window.form().controlCaption(cp("标签4"))),
             QString::fromUtf8("操作在  上被安全执行。"));
    for (const char* feature : {"FEATURE_BROWSER_EMULATION", "FEATURE_GPU_RENDERING"}) {
        const Text key =
            Text("Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\") + feature;
        QCOMPARE(
            navoket::registryGetDword(navoket::registryCurrentUser, key, navoket::executableName()),
            std::optional<std::uint32_t>(9999));
    }
}

void MainWindowTest::nameBoxTakesEveryNameButZero_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("boxText");
    QTest::newRow("unset") << QByteArray("0") << QByteArray("");
    QTest::newRow("two zeros") << QByteArray("00") << QByteArray("00");
    QTest::newRow("empty") << QByteArray("") << QByteArray("");
    QTest::newRow("zero and space") << QByteArray("0 x") << QByteArray("0 x");
    QTest::newRow("name") << QByteArray("\xd6\xd0 1") << QByteArray("\xd6\xd0 1");
}

void MainWindowTest::nameBoxTakesEveryNameButZero() {
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, boxText);
    GuiFixture fixture;
    fixture.prepareEarlierRun(stored.toStdString());
    MainWindow window;
    window.form().setControlText(cp("编辑框1"), "typed before");
    window.open();
    // "0" leaves the box as it was; anything else replaces it.
    const Text expected = stored == "0" ? Text("typed before") : boxText.toStdString();
    QCOMPARE(window.form().controlText(cp("编辑框1")), expected);
}

void MainWindowTest::missingSettingsFileGivesEmptyName() {
    GuiFixture fixture;
    fixture.prepareEarlierRun("Vessel");
    QVERIFY(std::filesystem::remove(navoket::hostPath(navoket::settingsFilePath)));
    MainWindow window;
    window.form().setControlText(cp("编辑框1"), "typed before");
    window.open();
    QVERIFY(fixture.boxes().empty());
    QCOMPARE(window.form().controlText(cp("编辑框1")), Text());
}

void MainWindowTest::clockShowsCurrentTimeText() {
    GuiFixture fixture;
    fixture.prepareEarlierRun("0");
    navoket::setLocalTimeSource([] { return navoket::LocalTime{2026, 12, 9, 18, 5, 0}; });
    MainWindow window;
    window.open();
    QCOMPARE(shown(window.form().controlCaption(cp("标签3"))),
             QString::fromUtf8("正在获取时间..."));
    QTRY_COMPARE_WITH_TIMEOUT(shown(window.form().controlCaption(cp("标签3"))),
                              QString::fromUtf8("2026年12月9日18时5分"), 5000);
    navoket::setLocalTimeSource({});
}

void MainWindowTest::configButtonOpensSettingsModally() {
    GuiFixture fixture;
    fixture.prepareEarlierRun("0");
    MainWindow window;
    window.open();
    bool mainTookClick = true;
    QTimer::singleShot(0, [&] {
        // The main window takes no input while the settings window is open.
        mainTookClick = window.form().click(cp("按钮2"));
        navoket::findOpenForm("settings")->close();
    });
    QVERIFY(window.form().click(cp("按钮2")));
    QVERIFY(!mainTookClick);
    QCOMPARE(navoket::openForms().size(), std::size_t{1});
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
