#include "app/UpdateWindow.h"

#include <QFile>
#include <QProgressBar>
#include <QWidget>

#include "app/DownloadFolder.h"
#include "app/settings/Endpoints.h"
#include "app/settings/ProgramTexts.h"
#include "platform/MessageBox.h"
#include "platform/ui/UiText.h"
#include "text/CodePageText.h"

namespace navoket {
namespace {

// The download server used when the settings name no other.
constexpr const char* builtInUpdateHost = "download.navoket.example.com";
constexpr const char* updateEndpointKey = "update";
constexpr const char* versionFilePath = "/navoket/v.txt";
constexpr const char* executablePath = "/navoket/navoket.exe";
constexpr const char* executableName = "navoket.exe";

// Windows colour values, 0x00BBGGRR.
constexpr unsigned red = 0x0000FF;
constexpr unsigned blue = 0xC06000;
constexpr unsigned black = 0;

constexpr int heightWithButtons = 172;
constexpr int heightWithoutButtons = 134;

// A version text longer than this is shown cut, so that any file fits the
// label; a version number is far shorter.
constexpr std::size_t shownVersionBytes = 100;

FormDesign updateWindowDesign() {
    using enum ControlKind;
    return {"update",
            "更新窗口",
            50,
            50,
            380,
            heightWithButtons,
            {
                {"标签1", label, 120, 19, 133, 24, "无法查找最新版本"},
                {"标签2", label, 39, 51, 296, 37, "没有获取到最新版本。"},
                {"a", button, 32, 95, 80, 32, "忽略此版本"},
                {"b", button, 272, 95, 80, 32, "更新"},
                {"d", browser, 168, 16, 100, 100, ""},
                // The download's state, below the buttons.
                {"标签3", label, 32, 151, 320, 18, ""},
            }};
}

Text updateAddress(const char* path) {
    return "https://" + endpointHost(updateEndpointKey, builtInUpdateHost) + path;
}

// At most shownVersionBytes bytes, never half of a double-byte character.
Text shownVersion(const Text& version) {
    if (version.size() <= shownVersionBytes) {
        return version;
    }
    std::size_t end = 0;
    while (end < version.size()) {
        const std::size_t step = static_cast<unsigned char>(version[end]) >= 0x80 ? 2 : 1;
        if (end + step > shownVersionBytes) {
            break;
        }
        end += step;
    }
    return version.substr(0, end) + ansiText("……");
}

Text failureText(const DownloadResult& result) {
    if (result.fileFailed) {
        return ansiText("下载失败：无法写入下载文件夹。");
    }
    switch (result.failure) {
        case HttpReadFailure::unreachable:
            return ansiText("下载失败：无法连接到下载服务器。");
        case HttpReadFailure::tlsFailure:
            return ansiText("下载失败：服务器证书没有通过验证，文件没有保存。");
        case HttpReadFailure::timedOut:
            return ansiText("下载失败：服务器长时间没有响应，文件没有保存。");
        case HttpReadFailure::protocolRefused:
            return ansiText("下载失败：服务器转向了不安全的地址，文件没有保存。");
        case HttpReadFailure::tooLarge:
            return ansiText("下载失败：文件过大，没有保存。");
        case HttpReadFailure::errorStatus:
            return ansiText("下载失败：服务器返回错误状态 ") + std::to_string(result.status) +
                   ansiText("，文件没有保存。");
        default:
            return ansiText("下载失败：连接中断，文件不完整，没有保存。");
    }
}

}  // namespace

UpdateWindow::UpdateWindow(std::chrono::milliseconds fetchTimeout)
    : m_form(updateWindowDesign()),
      m_fetchTimeout(fetchTimeout),
      m_download([this](std::uint64_t received,
                        std::uint64_t expected) { showProgress(received, expected); },
                 [this](const DownloadResult& result) { downloadFinished(result); }) {
    // The placeholder of the browser stays behind the labels it overlaps.
    m_form.controlWidget(ansiText("d"))->lower();
    m_progress = new QProgressBar(m_form.window());
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setGeometry(32, 134, 320, 14);
    m_progress->hide();

    m_form.onCreated([this] { created(); });
    m_form.onClicked(ansiText("a"), [this] { m_form.close(); });
    m_form.onClicked(ansiText("b"), [this] { update(); });
    m_form.onNavigate(ansiText("d"), [this](const Text& address) { navigate(address); });
    // Closing the window ends a running download and removes its unfinished file.
    m_form.onClosed([this] { m_download.cancel(); });
}

// The version file, up to its first zero byte; nothing when it could not be
// read as a complete 2xx reply within the bounds of the reader.
std::optional<Text> UpdateWindow::fetchVersionText() const {
    HttpReadOptions options;
    options.connectTimeout = m_fetchTimeout;
    options.totalTimeout = m_fetchTimeout;
    options.stallTimeout = m_fetchTimeout;
    const HttpReadResult read = readHttpFile(updateAddress(versionFilePath), options);
    if (!read.succeeded()) {
        return std::nullopt;
    }
    return bytesToText(read.body);
}

// The verdict follows the first read, the detail shows the second. A version
// file that cannot be read is no offer: the design texts stay and no button
// is shown.
void UpdateWindow::created() {
    const Text label1 = ansiText("标签1");
    const Text label2 = ansiText("标签2");
    const Text ignore = ansiText("a");
    const Text update = ansiText("b");
    const std::optional<Text> first = fetchVersionText();
    const Text& version = programTexts().programVersion;
    const bool offered = first && *first != version;
    if (first) {
        m_form.setControlCaption(label1,
                                 ansiText(offered ? "当前存在最新版本" : "当前没有最新版本"));
        m_form.setControlColour(label1, offered ? red : blue);
        if (const std::optional<Text> second = fetchVersionText()) {
            m_form.setControlCaption(label2, ansiText("当前您的版本为 ") + version +
                                                 ansiText(" 。然而，从服务器上获取的最新版本是 ") +
                                                 shownVersion(*second) + ansiText(" 。"));
        }
    }
    if (offered) {
        m_form.setHeight(heightWithButtons);
        m_form.setControlVisible(ignore, true);
        m_form.setControlVisible(update, true);
    } else {
        m_form.setControlVisible(ignore, false);
        m_form.setControlVisible(update, false);
        m_form.setHeight(heightWithoutButtons);
    }
}

// "更新": the browser control is sent to the executable, which starts the
// download, and the user is told at once, without waiting for it.
void UpdateWindow::update() {
    m_form.setBrowserAddress(ansiText("d"), updateAddress(executablePath));
    showMessageBox(ansiText("您的下载请求马上就会被服务器接受。若没有启动下载，请检查是否丢失 "
                            "Internet Explorer 内核。"),
                   ansiText("Navoket"), messageBoxOk | messageBoxIconInformation);
}

// A second navigation while a download runs starts no second download.
void UpdateWindow::navigate(const Text& address) {
    if (!m_download.start(address, downloadFolder(), executableName)) {
        return;
    }
    m_progress->setRange(0, 0);
    m_progress->show();
    showStatus(ansiText("正在下载新版本……"), black);
}

void UpdateWindow::showProgress(std::uint64_t received, std::uint64_t expected) {
    if (expected == 0) {
        return;
    }
    m_progress->setRange(0, 1000);
    m_progress->setValue(
        static_cast<int>(std::min<std::uint64_t>(received, expected) * 1000 / expected));
}

void UpdateWindow::downloadFinished(const DownloadResult& result) {
    m_progress->hide();
    if (result.succeeded()) {
        showStatus(
            ansiText("下载完成，已保存为 ") + fromQString(QFile::decodeName(result.file.c_str())),
            blue);
    } else {
        showStatus(failureText(result), red);
    }
}

void UpdateWindow::showStatus(const Text& text, unsigned colour) {
    m_form.setControlCaption(ansiText("标签3"), text);
    m_form.setControlColour(ansiText("标签3"), colour);
}

void openUpdateWindow() {
    UpdateWindow window;
    window.loadModal();
}

}  // namespace navoket
