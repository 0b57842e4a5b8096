#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "app/UpdateDownload.h"
#include "platform/Bytes.h"
#include "platform/ui/Form.h"

class QProgressBar;

namespace navoket {

// The update window "更新窗口": its creation handler reads the version file
// of the download server and tells whether another version is offered; "更新"
// downloads the new executable in the background into the download folder,
// with a progress bar; "忽略此版本" closes the window.
class UpdateWindow {
public:
    static constexpr std::chrono::milliseconds defaultFetchTimeout{10000};

    // fetchTimeout bounds each read of the version file.
    explicit UpdateWindow(std::chrono::milliseconds fetchTimeout = defaultFetchTimeout);

    Form& form() { return m_form; }

    // Loads the window as a modal dialog; returns when it has been closed.
    void loadModal() { m_form.loadModal(); }

private:
    void created();
    void update();
    void navigate(const Text& address);
    void showProgress(std::uint64_t received, std::uint64_t expected);
    void downloadFinished(const DownloadResult& result);
    void showStatus(const Text& text, unsigned colour);
    std::optional<Text> fetchVersionText() const;

    Form m_form;
    std::chrono::milliseconds m_fetchTimeout;
    QProgressBar* m_progress = nullptr;  // owned by the window
    // Declared last: goes first, so a running download ends before the window.
    UpdateDownload m_download;
};

// What the main window's "检测更新" does.
void openUpdateWindow();

}  // namespace navoket
