// The main window's location label on the offscreen platform: the window is
// usable at once, "标签4" shows "加载中...." until the lookup ends, then its
// final text.

#include <memory>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include "app/MainWindow.h"
#include "app/settings/Settings.h"
#include "platform/DriveC.h"
#include "platform/MessageBox.h"
#include "tests/support/RecordingHttpServer.h"
#include "text/CodePageText.h"

using navoket::MainWindow;
using navoket::Text;
using navoket::test::RecordingHttpServer;

namespace {

QString shown(const Text& text) {
    return QString::fromStdString(navoket::ansiToUtf8(text));
}

QString locationLabel(MainWindow& window) {
    return shown(window.form().controlCaption(navoket::ansiText("标签4")));
}

std::string hostOf(const RecordingHttpServer& server) {
    return "127.0.0.1:" + std::to_string(server.port());
}

// The default service's two pages: the root page's frame leads to the result.
std::vector<nlohmann::json> framedReplies(const RecordingHttpServer& server,
                                          const std::string& address) {
    return {{{"body", "<iframe src=\"" + server.url("/ic.asp") + "\"></iframe>"}},
            {{"body", "<title>您的IP地址是：" + address + "</title><p>来自：北京\n</p>"}}};
}

}  // namespace

class LocationLabelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void showsLoadingThenTheAddress();
    void unansweringServiceLeavesTheWindowUsable();
    void refusedServiceShowsTwoSpaces();
    void windowClosedBeforeTheLookupEnds();

private:
    // An earlier run's settings with the default service at host.
    static void prepareEarlierRun(const std::string& host);

    std::unique_ptr<QTemporaryDir> m_drive;
};

void LocationLabelTest::init() {
    m_drive = std::make_unique<QTemporaryDir>();
    navoket::setDriveRoot(m_drive->path().toStdString());
    navoket::setMessageBoxPresenter([](const Text&, const Text&, unsigned) {});
}

void LocationLabelTest::cleanup() {
    navoket::setMessageBoxPresenter({});
    navoket::setDriveRoot({});
    m_drive.reset();
}

void LocationLabelTest::prepareEarlierRun(const std::string& host) {
    navoket::firstRunSetup();
    navoket::writeSetting("Ship", "Name", "EVER GIVEN");
    navoket::writeSetting("Endpoints", "lookup0", host);
}

void LocationLabelTest::showsLoadingThenTheAddress() {
    RecordingHttpServer server;
    QVERIFY(server.ready());
    QVERIFY(server.script(framedReplies(server, "203.0.113.7")));
    prepareEarlierRun(hostOf(server));
    MainWindow window;
    window.open();
    // The creation handler has run to its end; the label waits for the lookup.
    QCOMPARE(locationLabel(window), QString::fromUtf8("加载中...."));
    QVERIFY(window.locationPending());
    QCOMPARE(window.form().caption(), Text("Navoket 0.2"));
    QCOMPARE(window.form().controlText(navoket::ansiText("编辑框1")), Text("EVER GIVEN"));
    QTRY_COMPARE_WITH_TIMEOUT(locationLabel(window),
                              QString::fromUtf8("操作在 203.0.113.7 上被安全执行。"), 10000);
    QVERIFY(!window.locationPending());
    QCOMPARE(server.requests().size(), std::size_t{2});
}

void LocationLabelTest::unansweringServiceLeavesTheWindowUsable() {
    auto silent = std::make_unique<RecordingHttpServer>();
    QVERIFY(silent->ready());
    QVERIFY(silent->script({{{"silent", true}}}));
    prepareEarlierRun(hostOf(*silent));
    QElapsedTimer startUp;
    startUp.start();
    MainWindow window;
    window.open();
    const qint64 openedAfter = startUp.elapsed();
    qInfo("main window created and shown after %lld ms with the service not answering",
          openedAfter);
    QVERIFY(openedAfter < 2000);
    QVERIFY(window.form().window()->isVisible());
    // It takes input and its clock runs while the lookup waits.
    QVERIFY(window.form().typeText(navoket::ansiText("编辑框1"), "MAERSK"));
    QTRY_VERIFY_WITH_TIMEOUT(window.form().controlCaption(navoket::ansiText("标签3")) !=
                                 navoket::ansiText("正在获取时间..."),
                             5000);
    QTRY_COMPARE_WITH_TIMEOUT(silent->requests().size(), std::size_t{1}, 5000);
    QCOMPARE(locationLabel(window), QString::fromUtf8("加载中...."));
    // The service goes away: the request fails and the address stays empty.
    silent.reset();
    QTRY_COMPARE_WITH_TIMEOUT(locationLabel(window), QString::fromUtf8("操作在  上被安全执行。"),
                              10000);
}

void LocationLabelTest::refusedServiceShowsTwoSpaces() {
    prepareEarlierRun("127.0.0.1:1");
    MainWindow window;
    window.open();
    window.waitForLocation();
    QCOMPARE(locationLabel(window), QString::fromUtf8("操作在  上被安全执行。"));
}

// The window goes while its lookup still runs; the late result is dropped and
// a later window gets its own.
void LocationLabelTest::windowClosedBeforeTheLookupEnds() {
    RecordingHttpServer server;
    QVERIFY(server.ready());
    prepareEarlierRun(hostOf(server));
    auto replies = framedReplies(server, "198.51.100.1");
    replies[0]["pieceDelayMs"] = 200;
    replies[0]["pieceSize"] = 1000;
    QVERIFY(server.script(replies));
    {
        MainWindow first;
        first.open();
        QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), std::size_t{1}, 5000);
        first.form().close();
    }
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), std::size_t{2}, 5000);
    QVERIFY(server.script(framedReplies(server, "203.0.113.7")));
    MainWindow second;
    second.open();
    QTRY_COMPARE_WITH_TIMEOUT(locationLabel(second),
                              QString::fromUtf8("操作在 203.0.113.7 上被安全执行。"), 10000);
}

QTEST_MAIN(LocationLabelTest)
#include "LocationLabelGui.moc"
