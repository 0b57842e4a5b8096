#include "app/UpdateDownload.h"

#include <QMetaObject>
#include <QObject>

#include "app/PartFile.h"

namespace navoket {
namespace {

// An executable of any sensible size, but not an endless stream.
constexpr std::size_t maxDownloadBytes = std::size_t{1} << 30;
// Progress is handed over at most once per this many bytes.
constexpr std::uint64_t progressStep = 64 * 1024;

HttpReadOptions downloadOptions() {
    HttpReadOptions options;
    options.maxBytes = maxDownloadBytes;
    options.connectTimeout = std::chrono::seconds(15);
    // A large file on a slow line may take long; only a stall ends it.
    options.totalTimeout = std::chrono::milliseconds(0);
    options.stallTimeout = std::chrono::seconds(30);
    options.requireSuccessStatus = true;
    return options;
}

}  // namespace

UpdateDownload::UpdateDownload(ProgressHandler onProgress, FinishedHandler onFinished)
    : m_onProgress(std::move(onProgress)),
      m_onFinished(std::move(onFinished)),
      m_receiver(std::make_unique<QObject>()) {}

UpdateDownload::~UpdateDownload() {
    cancel();
}

bool UpdateDownload::start(const Text& url, const std::filesystem::path& folder,
                           const std::string& fileName) {
    if (running()) {
        return false;
    }
    m_cancel = false;
    const std::uint64_t generation = ++m_generation;
    m_thread = std::thread(
        [this, url, folder, fileName, generation] { run(url, folder, fileName, generation); });
    return true;
}

void UpdateDownload::cancel() {
    ++m_generation;
    if (!running()) {
        return;
    }
    // libcurl asks the progress callback at least once a second, so the
    // thread ends soon; the part file goes with it.
    m_cancel = true;
    m_thread.join();
}

// The download thread. Everything it hands over goes through queued calls on
// the receiver, which the window thread owns: once the receiver is gone, calls
// still queued are dropped.
void UpdateDownload::run(const Text& url, const std::filesystem::path& folder,
                         const std::string& fileName, std::uint64_t generation) {
    DownloadResult result;
    PartFile part(folder, fileName);
    if (!part.valid()) {
        result.fileFailed = true;
    } else {
        HttpReadOptions options = downloadOptions();
        options.sink = [&part](std::string_view bytes) { return part.write(bytes); };
        std::uint64_t reported = 0;
        options.progress = [this, &reported, generation](std::uint64_t received,
                                                         std::uint64_t expected) {
            if (m_cancel) {
                return false;
            }
            if (received >= reported + progressStep ||
                (expected != 0 && received == expected && received != reported)) {
                reported = received;
                QMetaObject::invokeMethod(
                    m_receiver.get(),
                    [this, received, expected, generation] {
                        if (generation == m_generation) {
                            m_onProgress(received, expected);
                        }
                    },
                    Qt::QueuedConnection);
            }
            return true;
        };
        const HttpReadResult read = readHttpFile(url, options);
        result.failure = read.failure;
        result.status = read.status;
        result.fileFailed = read.failure == HttpReadFailure::sinkFailed;
        if (read.failure == HttpReadFailure::none) {
            result.file = part.complete();
            result.fileFailed = result.file.empty();
        }
    }
    if (result.failure == HttpReadFailure::cancelled) {
        return;
    }
    QMetaObject::invokeMethod(
        m_receiver.get(), [this, result, generation] { finish(result, generation); },
        Qt::QueuedConnection);
}

void UpdateDownload::finish(const DownloadResult& result, std::uint64_t generation) {
    if (generation != m_generation) {
        return;
    }
    // The thread has nothing left to do but return.
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_onFinished(result);
}

}  // namespace navoket
