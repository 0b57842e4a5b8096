#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <QProgressBar>
#include <QTimer>
#include <QtTest>

#include "app/MainWindow.h"
#include "app/UpdateWindow.h"
#include "app/settings/ProgramTexts.h"
#include "app/settings/Settings.h"
#include "platform/DriveC.h"
#include "platform/TestTrust.h"
#include "platform/ui/UiText.h"
#include "platform/ui/WindowRegistry.h"
#include "tests/app/gui/GuiTestSupport.h"
#include "tests/support/RecordingHttpServer.h"

using navoket::Form;
using navoket::Text;
using navoket::UpdateWindow;
using navoket::test::cp;
using navoket::test::GuiFixture;
using navoket::test::RecordingHttpServer;
using navoket::test::shown;
using nlohmann::json;

namespace {

constexpr unsigned red = 0x0000FF;
constexpr unsigned blue = 0xC06000;
constexpr auto shortFetch = std::chrono::milliseconds(1500);

QString detail(const char* version) {
    return QString::fromUtf8("当前您的版本为 0.2 。然而，从服务器上获取的最新版本是 ") +
           QString::fromLatin1(version) + QString::fromUtf8(" 。");
}

std::string fileContent(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names in the download folder, temporary files included.
QStringList downloadedNames() {
    QStringList names;
    std::error_code ignored;
    for (const auto& entry :
         std::filesystem::directory_iterator(navoket::driveRoot() / "Downloads", ignored)) {
        names << QString::fromStdString(entry.path().filename().string());
    }
    names.sort();
    return names;
}

int requestsFor(RecordingHttpServer& server, const std::string& path) {
    int count = 0;
    for (const std::string& request : server.requests()) {
        count += request.starts_with("GET " + path + " ") ? 1 : 0;
    }
    return count;
}

}  // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void controlsAtTheirPlaces_data();
    void controlsAtTheirPlaces();
    void versionCheck_data();
    void versionCheck();
    void failedVersionCheckOffersNothing_data();
    void failedVersionCheckOffersNothing();
    void longVersionTextIsShownBounded();
    void ignoreClosesAndTheNextOpeningAsksAgain();
    void checkButtonOpensTheWindowModally();
    void downloadCompletesIntoTheDownloadFolder();
    void downloadNeverReplacesAFile();
    void failedDownloadLeavesNoFile_data();
    void failedDownloadLeavesNoFile();
    void secondClickAndClosingDuringDownload();

private:
    // Opens the window against the test server after scripting its replies.
    std::unique_ptr<UpdateWindow> openWith(const std::vector<json>& replies);
    QString caption(UpdateWindow& window, const char* control) {
        return shown(window.form().controlCaption(cp(control)));
    }

    std::string certificate() const;

    QTemporaryDir m_certificateFolder;
    std::unique_ptr<RecordingHttpServer> m_server;
    std::unique_ptr<GuiFixture> m_fixture;
};

std::string UpdateWindowTest::certificate() const {
    return m_certificateFolder.filePath(QStringLiteral("server.pem")).toStdString();
}

void UpdateWindowTest::initTestCase() {
    const std::string certificate = this->certificate();
    m_server = std::make_unique<RecordingHttpServer>(
        RecordingHttpServer::Options{.tls = true, .certificateOut = certificate});
    QVERIFY(m_server->ready());
    navoket::setExtraCaFileForTesting(certificate);
}

void UpdateWindowTest::init() {
    QVERIFY(m_server->clear());
    navoket::setExtraCaFileForTesting(certificate());
    m_fixture = std::make_unique<GuiFixture>();
    m_fixture->prepareEarlierRun("0");
    navoket::writeSetting("Endpoints", "update", "127.0.0.1:" + std::to_string(m_server->port()));
    navoket::setFixedProgramTexts();
}

void UpdateWindowTest::cleanup() {
    m_fixture.reset();
}

std::unique_ptr<UpdateWindow> UpdateWindowTest::openWith(const std::vector<json>& replies) {
    m_server->script(replies);
    auto window = std::make_unique<UpdateWindow>(shortFetch);
    window->form().open();
    return window;
}

void UpdateWindowTest::controlsAtTheirPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char* name, QRect geometry, const char* caption) {
        QTest::newRow(name) << QString::fromUtf8(name) << geometry << QString::fromUtf8(caption);
    };
    row("标签1", {120, 19, 133, 24}, "无法查找最新版本");
    row("标签2", {39, 51, 296, 37}, "没有获取到最新版本。");
    row("a", {32, 95, 80, 32}, "忽略此版本");
    row("b", {272, 95, 80, 32}, "更新");
    row("d", {168, 16, 100, 100}, "");
}

void UpdateWindowTest::controlsAtTheirPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    UpdateWindow window;
    QWidget* top = window.form().window();
    QCOMPARE(top->windowTitle(), QString::fromUtf8("更新窗口"));
    QCOMPARE(top->size(), QSize(380, 172));
    auto* control = top->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(shown(window.form().controlCaption(navoket::fromQString(name))), caption);
    QCOMPARE(window.form().controlKind(cp("d")), navoket::ControlKind::browser);
}

void UpdateWindowTest::versionCheck_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QString>("label2");
    const auto row = [](const char* name, QByteArray first, QByteArray second, bool offered,
                        const char* shownVersion) {
        QTest::newRow(name) << first << second << offered << detail(shownVersion);
    };
    row("equal", "0.2", "0.2", false, "0.2");
    row("newer", "0.3", "0.3", true, "0.3");
    row("older", "0.1", "0.1", true, "0.1");
    row("line break", "0.2\r\n", "0.2\r\n", true, "0.2\r\n");
    row("empty", "", "", true, "");
    row("zero byte ends the text", QByteArray("0.2\0junk", 8), QByteArray("0.2\0junk", 8), false,
        "0.2");
    row("verdict from the first read", "0.2", "0.3", false, "0.3");
    row("detail from the second read", "0.3", "0.2", true, "0.2");
}

// Exact comparison with "0.2", nothing trimmed; the second read fills "标签2".
void UpdateWindowTest::versionCheck() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(bool, offered);
    QFETCH(QString, label2);
    auto window = openWith({{{"body", first.toStdString()}}, {{"body", second.toStdString()}}});
    QCOMPARE(caption(*window, "标签1"),
             QString::fromUtf8(offered ? "当前存在最新版本" : "当前没有最新版本"));
    QCOMPARE(window->form().controlColour(cp("标签1")), offered ? red : blue);
    QCOMPARE(caption(*window, "标签2"), label2);
    QCOMPARE(window->form().controlVisible(cp("a")), offered);
    QCOMPARE(window->form().controlVisible(cp("b")), offered);
    QCOMPARE(window->form().height(), offered ? 172 : 134);
    QCOMPARE(requestsFor(*m_server, "/navoket/v.txt"), 2);
}

void UpdateWindowTest::failedVersionCheckOffersNothing_data() {
    QTest::addColumn<int>("failure");
    const char* names[] = {"not found",        "server error", "10 MiB file",
                           "cut off",          "stalled",      "redirect to plain http",
                           "untrusted server", "unreachable"};
    for (int i = 0; i < 8; ++i) {
        QTest::newRow(names[i]) << i;
    }
}

// No connection, a failed certificate, an error status or an unusable reply is
// no newer version: the design texts stay and nothing is offered.
void UpdateWindowTest::failedVersionCheckOffersNothing() {
    QFETCH(int, failure);
    const std::vector<json> replies[] = {
        {{{"status", "HTTP/1.1 404 Not Found"}, {"body", "0.3"}}},
        {{{"status", "HTTP/1.1 500 Internal Server Error"}, {"body", "0.3"}}},
        {{{"bodySize", 10 * 1024 * 1024}}},
        {{{"body", "0.3 and more"}, {"cutAfter", 3}}},
        {{{"silent", true}}},
        {{{"status", "HTTP/1.1 302 Found"},
          {"headers", {"Location: http://127.0.0.1:1/navoket/v.txt"}}}},
        {{{"body", "0.3"}}},
        {},
    };
    if (failure == 6) {
        navoket::setExtraCaFileForTesting({});
    }
    if (failure == 7) {
        navoket::writeSetting("Endpoints", "update", "127.0.0.1:1");
    }
    const auto start = std::chrono::steady_clock::now();
    auto window = openWith(replies[failure]);
    QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(10));
    QCOMPARE(caption(*window, "标签1"), QString::fromUtf8("无法查找最新版本"));
    QCOMPARE(caption(*window, "标签2"), QString::fromUtf8("没有获取到最新版本。"));
    QCOMPARE(window->form().controlColour(cp("标签1")), 0U);
    QVERIFY(!window->form().controlVisible(cp("a")));
    QVERIFY(!window->form().controlVisible(cp("b")));
    QCOMPARE(window->form().height(), 134);
    QVERIFY(!std::filesystem::exists(navoket::driveRoot() / "Downloads"));
}

// A long text under the size bound is a version text like any other, shown
// cut to 100 bytes without splitting a double-byte character.
void UpdateWindowTest::longVersionTextIsShownBounded() {
    std::string garbage = "\x01\x02\x03\x04";
    for (int i = 0; i < 20000; ++i) {
        garbage += i % 2 == 0 ? "\xd6\xd0" : "\x7f\r\n";
    }
    auto window = openWith({{{"body", garbage}}, {{"body", garbage}}});
    QCOMPARE(caption(*window, "标签1"), QString::fromUtf8("当前存在最新版本"));
    QCOMPARE(window->form().controlCaption(cp("标签2")),
             cp("当前您的版本为 0.2 。然而，从服务器上获取的最新版本是 ") + garbage.substr(0, 99) +
                 cp("…… 。"));
    QCOMPARE(window->form().height(), 172);
}

void UpdateWindowTest::ignoreClosesAndTheNextOpeningAsksAgain() {
    for (int opening = 0; opening < 2; ++opening) {
        auto window = openWith({{{"body", "0.3"}}, {{"body", "0.3"}}});
        QVERIFY(window->form().isOpen());
        QCOMPARE(caption(*window, "标签1"), QString::fromUtf8("当前存在最新版本"));
        QVERIFY(window->form().click(cp("a")));
        QVERIFY(!window->form().isOpen());
    }
    QCOMPARE(requestsFor(*m_server, "/navoket/v.txt"), 4);
}

void UpdateWindowTest::checkButtonOpensTheWindowModally() {
    m_server->script({{{"body", "0.3"}}, {{"body", "0.3"}}});
    navoket::MainWindow window;
    window.open();
    QStringList windows;
    QString verdict;
    bool mainTookClick = true;
    QTimer::singleShot(0, [&] {
        for (const Form* form : navoket::openForms()) {
            windows << shown(form->windowName());
        }
        mainTookClick = window.form().click(cp("按钮1"));
        Form* update = navoket::findOpenForm("update");
        QVERIFY(update != nullptr);
        verdict = shown(update->controlCaption(cp("标签1")));
        QVERIFY(update->click(cp("a")));
    });
    QVERIFY(window.form().click(cp("按钮1")));
    QCOMPARE(windows, (QStringList{QStringLiteral("main"), QStringLiteral("update")}));
    QVERIFY(!mainTookClick);
    QCOMPARE(verdict, QString::fromUtf8("当前存在最新版本"));
    QCOMPARE(navoket::openForms().size(), std::size_t{1});
}

void UpdateWindowTest::downloadCompletesIntoTheDownloadFolder() {
    constexpr int size = 2 * 1024 * 1024 + 5;
    auto window = openWith({{{"body", "0.3"}}, {{"body", "0.3"}}, {{"bodySize", size}}});
    QVERIFY(window->form().click(cp("b")));

    QCOMPARE(window->form().browserAddress(cp("d")),
             "https://127.0.0.1:" + std::to_string(m_server->port()) + "/navoket/navoket.exe");
    QCOMPARE(m_fixture->boxes().size(), std::size_t{1});
    QCOMPARE(shown(m_fixture->boxes()[0].text),
             QString::fromUtf8("您的下载请求马上就会被服务器接受。若没有启动下载，请检查是否丢失 "
                               "Internet Explorer 内核。"));
    QCOMPARE(shown(m_fixture->boxes()[0].title), QStringLiteral("Navoket"));
    QCOMPARE(m_fixture->boxes()[0].flags, 0x2040U);

    const std::filesystem::path saved = navoket::driveRoot() / "Downloads" / "navoket.exe";
    QTRY_VERIFY_WITH_TIMEOUT(caption(*window, "标签3").startsWith(QString::fromUtf8("下载完成")),
                             20000);
    QCOMPARE(caption(*window, "标签3"),
             QString::fromUtf8("下载完成，已保存为 ") + QString::fromStdString(saved.string()));
    QCOMPARE(window->form().controlColour(cp("标签3")), blue);
    QCOMPARE(downloadedNames(), QStringList{QStringLiteral("navoket.exe")});
    QCOMPARE(fileContent(saved), std::string(size, 'x'));
    auto* progress = window->form().window()->findChild<QProgressBar*>(QStringLiteral("progress"));
    QVERIFY(progress != nullptr && progress->isHidden());
    QCOMPARE(requestsFor(*m_server, "/navoket/navoket.exe"), 1);
}

void UpdateWindowTest::downloadNeverReplacesAFile() {
    const std::filesystem::path folder = navoket::driveRoot() / "Downloads";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "navoket.exe") << "old";
    auto window = openWith({{{"body", "0.3"}}, {{"body", "0.3"}}, {{"body", "new"}}});
    QVERIFY(window->form().click(cp("b")));
    QTRY_VERIFY_WITH_TIMEOUT(caption(*window, "标签3").startsWith(QString::fromUtf8("下载完成")),
                             20000);
    QCOMPARE(downloadedNames(),
             (QStringList{QStringLiteral("navoket (1).exe"), QStringLiteral("navoket.exe")}));
    QCOMPARE(fileContent(folder / "navoket.exe"), std::string("old"));
    QCOMPARE(fileContent(folder / "navoket (1).exe"), std::string("new"));
}

void UpdateWindowTest::failedDownloadLeavesNoFile_data() {
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("status");
    QTest::newRow("cut off mid-way")
        << 0 << QString::fromUtf8("下载失败：连接中断，文件不完整，没有保存。");
    QTest::newRow("not found") << 1
                               << QString::fromUtf8(
                                      "下载失败：服务器返回错误状态 404，文件没有保存。");
    QTest::newRow("redirect to plain http")
        << 2 << QString::fromUtf8("下载失败：服务器转向了不安全的地址，文件没有保存。");
    QTest::newRow("untrusted server")
        << 3 << QString::fromUtf8("下载失败：服务器证书没有通过验证，文件没有保存。");
    QTest::newRow("download folder unusable")
        << 4 << QString::fromUtf8("下载失败：无法写入下载文件夹。");
}

// An executable that did not arrive whole from a verified server with a
// success status is never saved; the window tells why.
void UpdateWindowTest::failedDownloadLeavesNoFile() {
    QFETCH(int, failure);
    QFETCH(QString, status);
    const json downloadReplies[] = {
        {{"bodySize", 200000}, {"cutAfter", 70000}},
        {{"status", "HTTP/1.1 404 Not Found"}, {"body", "no such file"}},
        {{"status", "HTTP/1.1 302 Found"},
         {"headers",
          {"Location: http://127.0.0.1:" + std::to_string(m_server->port()) +
           "/navoket/navoket.exe"}}},
        {{"body", "MZ"}},
        {{"body", "MZ"}},
    };
    auto window = openWith({{{"body", "0.3"}}, {{"body", "0.3"}}, downloadReplies[failure]});
    if (failure == 3) {
        navoket::setExtraCaFileForTesting({});
    }
    if (failure == 4) {
        std::ofstream(navoket::driveRoot() / "Downloads") << "a file, not a folder";
    }
    QVERIFY(window->form().click(cp("b")));
    QTRY_VERIFY_WITH_TIMEOUT(caption(*window, "标签3").startsWith(QString::fromUtf8("下载失败")),
                             20000);
    QCOMPARE(caption(*window, "标签3"), status);
    QCOMPARE(window->form().controlColour(cp("标签3")), red);
    QCOMPARE(downloadedNames(), QStringList{});
    QVERIFY(window->form().isOpen());
    QCOMPARE(requestsFor(*m_server, "/navoket/navoket.exe"), failure >= 3 ? 0 : 1);
}

// A download that stalls half-way: the window shows its progress and stays
// usable, the part written so far has a temporary name, a second click starts
// nothing more, and closing the window ends the download at once with nothing
// left behind.
void UpdateWindowTest::secondClickAndClosingDuringDownload() {
    auto window = openWith(
        {{{"body", "0.3"}}, {{"body", "0.3"}}, {{"bodySize", 200000}, {"holdAfter", 100000}}});
    QVERIFY(window->form().click(cp("b")));
    QCOMPARE(caption(*window, "标签3"), QString::fromUtf8("正在下载新版本……"));
    auto* progress = window->form().window()->findChild<QProgressBar*>(QStringLiteral("progress"));
    QVERIFY(progress != nullptr && !progress->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() >= 300, 10000);
    QVERIFY(progress->value() <= 500);
    const QStringList partial = downloadedNames();
    QCOMPARE(partial.size(), 1);
    QVERIFY(partial[0].startsWith(QStringLiteral("navoket.exe.")));
    QVERIFY(partial[0].endsWith(QStringLiteral(".part")));

    QVERIFY(window->form().click(cp("b")));
    QCOMPARE(m_fixture->boxes().size(), std::size_t{2});
    const auto start = std::chrono::steady_clock::now();
    window->form().close();
    QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(5));
    QCOMPARE(downloadedNames(), QStringList{});
    QCOMPARE(requestsFor(*m_server, "/navoket/navoket.exe"), 1);
}

QTEST_MAIN(UpdateWindowTest)
#include "update_window_test.moc"
