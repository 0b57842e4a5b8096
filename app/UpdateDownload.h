#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/Bytes.h"
#include "platform/HttpFileReader.h"

class QObject;

namespace navoket {

struct DownloadResult {
    HttpReadFailure failure = HttpReadFailure::none;
    long status = 0;
    bool fileFailed = false;     // the download folder could not take the file
    std::filesystem::path file;  // where the complete file was saved
    bool succeeded() const { return failure == HttpReadFailure::none && !fileFailed; }
};

// One download at a time on a thread of its own, so that the window stays
// responsive. The file is written under a temporary name and gets its final
// name only when complete; the certificate is verified and only a 2xx reply
// is saved. Progress and the result are handed to the window thread (the
// thread that made this object), never after it is gone.
class UpdateDownload {
public:
    using ProgressHandler = std::function<void(std::uint64_t received, std::uint64_t expected)>;
    using FinishedHandler = std::function<void(const DownloadResult& result)>;

    UpdateDownload(ProgressHandler onProgress, FinishedHandler onFinished);
    // Cancels a running download and waits for its thread.
    ~UpdateDownload();
    UpdateDownload(const UpdateDownload&) = delete;
    UpdateDownload& operator=(const UpdateDownload&) = delete;

    bool running() const { return m_thread.joinable(); }
    // False, starting nothing, while a download runs.
    bool start(const Text& url, const std::filesystem::path& folder, const std::string& fileName);
    // Stops a running download without a result; its temporary file is removed.
    void cancel();

private:
    void run(const Text& url, const std::filesystem::path& folder, const std::string& fileName,
             std::uint64_t generation);
    void finish(const DownloadResult& result, std::uint64_t generation);

    ProgressHandler m_onProgress;
    FinishedHandler m_onFinished;
    std::unique_ptr<QObject> m_receiver;  // lives on the window thread
    std::atomic<bool> m_cancel{false};
    // Counts starts and cancels (window thread only): a call queued by an
    // earlier download is ignored.
    std::uint64_t m_generation = 0;
    std::thread m_thread;
};

}  // namespace navoket
