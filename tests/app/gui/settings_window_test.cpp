#include <filesystem>

#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include "app/SettingsWindow.h"
#include "app/settings/Settings.h"
#include "platform/DriveC.h"
#include "platform/ui/UiText.h"
#include "tests/app/gui/GuiTestSupport.h"

using navoket::SettingsWindow;
using navoket::Text;
using navoket::test::cp;
using navoket::test::GuiFixture;
using navoket::test::shown;

class SettingsWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controlsAtTheirPlaces_data();
    void controlsAtTheirPlaces();
    void passwordIsMasked();
    void saveWritesFiveKeysInOrder();
    void saveStoresEmptyBoxesAsEmptyValues();
    void saveThatCannotWriteSaysSo();
    void boxesStartEmptyAfterSaving();
    void closingSavesNothing();
    void testConnectionReportsAndCloses();
};

void SettingsWindowTest::controlsAtTheirPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char* name, QRect geometry, const char* caption) {
        QTest::newRow(name) << QString::fromUtf8(name) << geometry << QString::fromUtf8(caption);
    };
    row("标签1", {168, 16, 37, 24}, "配置");
    row("标签2", {25, 48, 80, 24}, "邮箱地址");
    row("账号", {111, 52, 224, 21}, "");
    row("标签3", {24, 77, 80, 24}, "邮箱密码");
    row("密码", {111, 81, 224, 21}, "");
    row("标签4", {25, 105, 70, 24}, "SMTP地址");
    row("smt", {111, 109, 224, 21}, "");
    row("标签6", {25, 132, 70, 24}, "收信地址");
    row("rec", {111, 136, 224, 21}, "");
    row("标签7", {25, 162, 70, 24}, "默认船名");
    row("name", {111, 165, 224, 21}, "");
    row("标签8", {25, 187, 311, 33}, "默认船名是指在主窗口中刷新缓存所获取判断的船名。");
    row("按钮1", {24, 241, 80, 32}, "写入配置");
    row("标签5", {136, 241, 216, 80},
        "config.ini 配置文件被保存在您的电脑 C:\\Torvane\\Navkoet\\Person\\config.ini "
        "中，不会涉及上传至服务器。请放心填写。");
    row("按钮2", {24, 281, 80, 32}, "测试连接");
}

void SettingsWindowTest::controlsAtTheirPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    GuiFixture fixture;
    SettingsWindow window;
    QWidget* top = window.form().window();
    QCOMPARE(top->windowTitle(), QString::fromUtf8("配置"));
    QCOMPARE(top->size(), QSize(380, 365));
    auto* control = top->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->geometry(), geometry);
    const Text control936 = navoket::fromQString(name);
    const bool editBox = qobject_cast<QLineEdit*>(control) != nullptr;
    QCOMPARE(shown(editBox ? window.form().controlText(control936)
                           : window.form().controlCaption(control936)),
             caption);
}

void SettingsWindowTest::passwordIsMasked() {
    GuiFixture fixture;
    SettingsWindow window;
    auto* password = window.form().window()->findChild<QLineEdit*>(QString::fromUtf8("密码"));
    QVERIFY(password != nullptr);
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    password->setText(QStringLiteral("secret"));
    QVERIFY(!password->displayText().contains(QStringLiteral("secret")));
}

void SettingsWindowTest::saveWritesFiveKeysInOrder() {
    GuiFixture fixture;
    // Folders and marker of a first run, and no settings file yet: the file
    // then shows the order of the writes.
    navoket::firstRunSetup();
    QVERIFY(std::filesystem::remove(navoket::hostPath(navoket::settingsFilePath)));
    SettingsWindow window;
    QTimer::singleShot(0, [&] {
        navoket::Form& form = window.form();
        QVERIFY(form.typeText("smt", "smtp.example.test"));
        QVERIFY(form.typeText(cp("账号"), "me@example.test"));
        QVERIFY(form.typeText(cp("密码"), "pass word"));
        QVERIFY(form.typeText("rec", "you@example.test"));
        QVERIFY(form.typeText("name", cp("长赐轮")));
        QVERIFY(form.click(cp("按钮1")));
        // The window stays open after saving.
        QVERIFY(form.isOpen());
        form.close();
    });
    window.loadModal();

    QCOMPARE(fixture.settingsFileContent(),
             Text("[Email]\r\nsmtp=smtp.example.test\r\naccount=me@example.test\r\n"
                  "password=pass word\r\nreceive=you@example.test\r\n[Ship]\r\nName=") +
                 cp("长赐轮") + "\r\n");
    QCOMPARE(fixture.boxes().size(), std::size_t{1});
    QCOMPARE(shown(fixture.boxes()[0].text),
             QString::fromUtf8("保存成功。您可以点击测试连接按钮验证填写是否正确。"));
    QCOMPARE(fixture.boxes()[0].title, Text("Navoket"));
    QCOMPARE(fixture.boxes()[0].flags, 0x2040U);
}

void SettingsWindowTest::saveStoresEmptyBoxesAsEmptyValues() {
    GuiFixture fixture;
    fixture.prepareEarlierRun("Vessel");
    SettingsWindow window;
    QTimer::singleShot(0, [&] {
        QVERIFY(window.form().click(cp("按钮1")));
        window.form().close();
    });
    window.loadModal();
    for (const auto& [section, key] : {std::pair{"Email", "smtp"},
                                       {"Email", "account"},
                                       {"Email", "password"},
                                       {"Email", "receive"},
                                       {"Ship", "Name"}}) {
        QCOMPARE(navoket::readSetting(section, key), Text());
    }
    // The baseline is no box of this window.
    QCOMPARE(navoket::readSetting("Ship", "Data"), Text("0"));
}

// With the settings folder gone the writes fail: the window says that the
// settings were not saved instead of claiming success.
void SettingsWindowTest::saveThatCannotWriteSaysSo() {
    GuiFixture fixture;
    fixture.prepareEarlierRun("Vessel");
    QVERIFY(std::filesystem::remove_all(navoket::hostPath(navoket::settingsFolderPath)) > 0);
    SettingsWindow window;
    QTimer::singleShot(0, [&] {
        QVERIFY(window.form().typeText("smt", "smtp.example.test"));
        QVERIFY(window.form().click(cp("按钮1")));
        window.form().close();
    });
    window.loadModal();
    QVERIFY(!std::filesystem::exists(navoket::hostPath(navoket::settingsFilePath)));
    QCOMPARE(fixture.boxes().size(), std::size_t{1});
    QVERIFY(shown(fixture.boxes()[0].text).startsWith(QString::fromUtf8("保存失败：")));
    QCOMPARE(fixture.boxes()[0].title, Text("Navoket"));
    QCOMPARE(fixture.boxes()[0].flags, 0x2030U);
}

void SettingsWindowTest::boxesStartEmptyAfterSaving() {
    GuiFixture fixture;
    fixture.prepareEarlierRun("Vessel");
    SettingsWindow window;
    for (const char* box : {"账号", "密码", "smt", "rec", "name"}) {
        QCOMPARE(window.form().controlText(cp(box)), Text());
    }
}

void SettingsWindowTest::closingSavesNothing() {
    GuiFixture fixture;
    fixture.prepareEarlierRun("Vessel");
    const Text before = fixture.settingsFileContent();
    SettingsWindow window;
    QTimer::singleShot(0, [&] {
        QVERIFY(window.form().typeText("name", "Other"));
        window.form().close();
    });
    window.loadModal();
    QCOMPARE(fixture.settingsFileContent(), before);
    QVERIFY(fixture.boxes().empty());
}

// Nothing listens on port 25 of 127.0.0.2: the connection fails at once.
void SettingsWindowTest::testConnectionReportsAndCloses() {
    GuiFixture fixture;
    fixture.prepareEarlierRun("Vessel");
    const Text before = fixture.settingsFileContent();
    SettingsWindow window;
    bool clicked = false;
    QTimer::singleShot(0, [&] {
        QVERIFY(window.form().typeText("smt", "127.0.0.2"));
        QVERIFY(window.form().typeText(cp("账号"), "me@example.test"));
        QVERIFY(window.form().typeText("rec", "you@example.test"));
        clicked = window.form().click(cp("按钮2"));
    });
    window.loadModal();
    QVERIFY(clicked);
    QVERIFY(!window.form().isOpen());
    QCOMPARE(fixture.boxes().size(), std::size_t{2});
    QCOMPARE(shown(fixture.boxes()[0].text), QString::fromUtf8("信息状态为假"));
    QCOMPARE(shown(fixture.boxes()[1].text),
             QString::fromUtf8("如果信息状态正确，那么一封标题为 <Navoket 验证> "
                               "的邮件将会发送至您的邮箱。"));
    QCOMPARE(fixture.settingsFileContent(), before);
}

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
