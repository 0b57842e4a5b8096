// One manual check against the local schedule-site stand-in (request, cut,
// convert, digest, compare) beside a bare libcurl POST of the same page, so
// that the cost of everything around the transfer shows as a ratio.

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/settings/ProgramTexts.h"
#include "app/settings/Settings.h"
#include "platform/DriveC.h"
#include "platform/MessageBox.h"
#include "watch/ManualCheck.h"

namespace navoket {
namespace {

// The stand-in as a child process: its first output line is its port.
class ScheduleSiteProcess {
public:
    ScheduleSiteProcess() {
        // This file lives in bench/ of the source tree; the stand-in beside it.
        const std::string script = (std::filesystem::path(__FILE__).parent_path().parent_path() /
                                    "tools/schedule-site/schedule_site.py")
                                       .string();
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            execl("/usr/bin/python3", "python3", script.c_str(), nullptr);
            _exit(127);
        }
        close(fds[1]);
        std::unique_ptr<FILE, decltype(&std::fclose)> out(fdopen(fds[0], "r"), &std::fclose);
        char line[32] = {};
        if (m_pid > 0 && out && std::fgets(line, sizeof line, out.get()) != nullptr) {
            m_port = std::atoi(line);
        }
    }
    ~ScheduleSiteProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    ScheduleSiteProcess(const ScheduleSiteProcess&) = delete;
    ScheduleSiteProcess& operator=(const ScheduleSiteProcess&) = delete;

    int port() const { return m_port; }

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

// A demo drive C: whose settings point at the stand-in; removed afterwards.
class BenchDrive {
public:
    explicit BenchDrive(int port) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "navoket-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        m_path = pattern;
        setDriveRoot(m_path);
        firstRunSetup();
        writeSetting("Endpoints", "schedule", "127.0.0.1:" + std::to_string(port));
        writeSetting("Ship", "Name", "ORIENT LARK");
        setFixedProgramTexts();
    }
    ~BenchDrive() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    BenchDrive(const BenchDrive&) = delete;
    BenchDrive& operator=(const BenchDrive&) = delete;

private:
    std::filesystem::path m_path;
};

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

size_t collect(char* data, size_t size, size_t count, void* sink) {
    static_cast<std::string*>(sink)->append(data, size * count);
    return size * count;
}

ScheduleSiteProcess& site() {
    static ScheduleSiteProcess process;
    return process;
}

BenchDrive& drive() {
    static BenchDrive folder(site().port());
    return folder;
}

void manualCheck(benchmark::State& state) {
    drive();
    setMessageBoxPresenter([](const Text&, const Text&, unsigned) {});
    if (refreshBaseline(RefreshCaller::mainWindow) != RefreshOutcome::stored) {
        state.SkipWithError("the stand-in gave no block");
        return;
    }
    for (auto _ : state) {
        if (checkVessel("ORIENT LARK") != CheckOutcome::same) {
            state.SkipWithError("the check did not find the stored baseline");
            break;
        }
    }
    setMessageBoxPresenter({});
}
BENCHMARK(manualCheck)->Unit(benchmark::kMicrosecond);

// The same POST through libcurl alone, on the program's connection settings:
// HTTP/1.1, no proxy, one handle (so one connection) per request, as each
// request of the program opens and closes its own session.
void bareCurlPost(benchmark::State& state) {
    drive();
    const std::string url = programTexts().dataPageUrl;
    const std::string body = "vessel=ORIENT LARK";
    for (auto _ : state) {
        std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
        std::unique_ptr<curl_slist, SlistFree> headers(
            curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded"));
        std::string page;
        curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*");
        curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_HTTP_VERSION,
                         static_cast<long>(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &collect);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &page);
        if (curl_easy_perform(curl.get()) != CURLE_OK || page.empty()) {
            state.SkipWithError("the bare POST failed");
            break;
        }
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(bareCurlPost)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace navoket

BENCHMARK_MAIN();
