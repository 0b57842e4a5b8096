#include <QLabel>
#include <QTimer>
#include <QtTest>

#include "platform/ui/Form.h"
#include "platform/ui/WindowRegistry.h"
#include "tests/app/gui/GuiTestSupport.h"

using navoket::ControlKind;
using navoket::Form;
using navoket::FormDesign;
using navoket::Text;
using navoket::test::cp;

namespace {

FormDesign testDesign() {
    using enum ControlKind;
    return {"probe",
            "探针",
            10,
            20,
            300,
            200,
            {
                {"标签1", label, 5, 5, 100, 24, "<b>不是标记</b>"},
                {"编辑框1", editBox, 5, 40, 100, 21, "初始"},
                {"按钮1", button, 5, 70, 80, 30, "按钮"},
                {"时钟1", timer, 0, 0, 0, 0, "", 0},
                {"d", browser, 150, 5, 100, 100, ""},
            }};
}

QTimer* timerOf(Form& form) {
    return form.window()->findChild<QTimer*>(QString::fromUtf8("时钟1"));
}

}  // namespace

class FormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void coloursRoundTrip_data();
    void coloursRoundTrip();
    void labelsShowPlainText();
    void timerPeriodRules();
    void clickNeedsAVisibleEnabledButton();
    void closingStopsTimersAndUnlists();
    void escapeDoesNotClose();
    void browserAddressReachesItsHandler();
};

void FormTest::coloursRoundTrip_data() {
    QTest::addColumn<QByteArray>("control");
    QTest::addColumn<uint>("colour");
    for (const char* control : {"标签1", "编辑框1", "按钮1"}) {
        for (const uint colour : {0U, 255U, 0xC06000U, 0x123456U}) {
            QTest::addRow("%s %06x", control, colour) << QByteArray(control) << colour;
        }
    }
}

void FormTest::coloursRoundTrip() {
    QFETCH(QByteArray, control);
    QFETCH(uint, colour);
    Form form(testDesign());
    const Text name = cp(control.constData());
    form.setControlColour(name, colour);
    QCOMPARE(form.controlColour(name), colour);
    // 0x00BBGGRR: the low byte is red.
    const QColor shown = form.controlWidget(name)->palette().color(
        control == "标签1" ? QPalette::WindowText
                           : (control == "按钮1" ? QPalette::ButtonText : QPalette::Text));
    QCOMPARE(shown.red(), static_cast<int>(colour & 0xFF));
    QCOMPARE(shown.blue(), static_cast<int>(colour >> 16));
}

void FormTest::labelsShowPlainText() {
    Form form(testDesign());
    auto* label = qobject_cast<QLabel*>(form.controlWidget(cp("标签1")));
    QVERIFY(label != nullptr);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(form.controlCaption(cp("标签1")), cp("<b>不是标记</b>"));
    // An edit box has text, no caption; a label no text.
    QCOMPARE(form.controlText(cp("编辑框1")), cp("初始"));
    QCOMPARE(form.controlCaption(cp("编辑框1")), Text());
    QCOMPARE(form.controlText(cp("标签1")), Text());
}

void FormTest::timerPeriodRules() {
    Form form(testDesign());
    int ticks = 0;
    form.onTimer(cp("时钟1"), [&] { ++ticks; });
    form.open();
    QTimer* timer = timerOf(form);
    QVERIFY(timer != nullptr);
    QVERIFY(!timer->isActive());

    form.setTimerPeriod(cp("时钟1"), 20);
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 2, 5000);

    form.setTimerPeriod(cp("时钟1"), 60000);
    QTest::qWait(30);
    const int left = timer->remainingTime();
    // The same period changes nothing: the running period is not restarted.
    form.setTimerPeriod(cp("时钟1"), 60000);
    QVERIFY(timer->remainingTime() <= left);
    QVERIFY(timer->remainingTime() < 60000 - 20);
    // Another period restarts it.
    form.setTimerPeriod(cp("时钟1"), 50000);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 50000);

    for (const int stopping : {0, -5}) {
        form.setTimerPeriod(cp("时钟1"), 50000);
        form.setTimerPeriod(cp("时钟1"), stopping);
        QVERIFY(!timer->isActive());
        QCOMPARE(form.timerPeriod(cp("时钟1")), stopping);
    }
}

void FormTest::clickNeedsAVisibleEnabledButton() {
    Form form(testDesign());
    int clicks = 0;
    form.onClicked(cp("按钮1"), [&] { ++clicks; });
    form.open();
    QVERIFY(form.click(cp("按钮1")));
    form.setControlEnabled(cp("按钮1"), false);
    QVERIFY(!form.controlEnabled(cp("按钮1")));
    QVERIFY(!form.click(cp("按钮1")));
    form.setControlEnabled(cp("按钮1"), true);
    form.setControlVisible(cp("按钮1"), false);
    QVERIFY(!form.controlVisible(cp("按钮1")));
    QVERIFY(!form.click(cp("按钮1")));
    QVERIFY(!form.click(cp("编辑框1")));
    QVERIFY(!form.click(cp("没有")));
    QCOMPARE(clicks, 1);
}

void FormTest::closingStopsTimersAndUnlists() {
    Form form(testDesign());
    int closed = 0;
    form.onClosed([&] { ++closed; });
    form.onCreated([&] { form.setTimerPeriod(cp("时钟1"), 1000); });
    form.open();
    QCOMPARE(navoket::findOpenForm("probe"), &form);
    QCOMPARE(form.caption(), cp("探针"));
    QVERIFY(timerOf(form)->isActive());
    form.close();
    QVERIFY(!form.isOpen());
    QVERIFY(!timerOf(form)->isActive());
    QCOMPARE(navoket::findOpenForm("probe"), nullptr);
    form.close();
    QCOMPARE(closed, 1);
}

void FormTest::escapeDoesNotClose() {
    Form form(testDesign());
    form.open();
    QTest::keyClick(form.controlWidget(cp("编辑框1")), Qt::Key_Escape);
    QTest::keyClick(form.window(), Qt::Key_Escape);
    QVERIFY(form.isOpen());
    QVERIFY(form.window()->isVisible());
}

void FormTest::browserAddressReachesItsHandler() {
    Form form(testDesign());
    Text navigated;
    form.onNavigate("d", [&](const Text& address) { navigated = address; });
    form.setBrowserAddress("d", "https://127.0.0.1/navoket/navoket.exe");
    QCOMPARE(navigated, Text("https://127.0.0.1/navoket/navoket.exe"));
    QCOMPARE(form.browserAddress("d"), navigated);
}

QTEST_MAIN(FormTest)
#include "form_test.moc"
