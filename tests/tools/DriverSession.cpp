#include "tests/tools/DriverSession.h"

#include <signal.h>
#include <sys/wait.h>

#include <thread>

#include "tests/support/ChildPipes.h"

namespace navoket::test {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

DriverSession::DriverSession() {
    const ChildPipes child = spawnWithPipes({NAVOKET_DRIVER_PATH}, false);
    m_pid = child.pid;
    m_stdin = child.input;
    m_stdout = child.output;
}

DriverSession::~DriverSession() {
    closeInput();
    if (m_pid > 0 && !waitForExit(std::chrono::seconds(10))) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    closeFd(m_stdout);
}

bool DriverSession::send(const std::string& line) {
    return writeAll(m_stdin, line + "\n");
}

std::optional<std::string> DriverSession::readLine(std::chrono::milliseconds bound) {
    return readLineFrom(m_stdout, m_buffer, bound);
}

nlohmann::json DriverSession::readReply(std::chrono::milliseconds bound) {
    const auto line = readLine(bound);
    if (!line) {
        return nlohmann::json::value_t::discarded;
    }
    return nlohmann::json::parse(*line, nullptr, false);
}

nlohmann::json DriverSession::call(const nlohmann::json& request) {
    if (!send(request)) {
        return nlohmann::json::value_t::discarded;
    }
    return readReply();
}

bool DriverSession::clickOpeningModal(const std::string& window, const nlohmann::json& control) {
    return send(nlohmann::json{{"id", "open"},
                               {"call", "ui.click"},
                               {"args", {{"window", window}, {"control", control}}}});
}

std::map<std::string, nlohmann::json> DriverSession::closeModalWindow(const std::string& window) {
    std::map<std::string, nlohmann::json> replies;
    if (!send(nlohmann::json{
            {"id", "close"}, {"call", "ui.close"}, {"args", {{"window", window}}}})) {
        return replies;
    }
    for (int i = 0; i < 2; ++i) {
        const nlohmann::json reply = readReply();
        if (reply.is_discarded()) {
            break;
        }
        replies[reply.value("id", "")] = reply.value("result", nlohmann::json());
    }
    return replies;
}

void DriverSession::closeInput() {
    closeFd(m_stdin);
}

std::optional<int> DriverSession::waitForExit(std::chrono::milliseconds bound) {
    if (m_pid <= 0) {
        return std::nullopt;
    }
    const Clock::time_point deadline = Clock::now() + bound;
    while (true) {
        int status = 0;
        const pid_t waited = ::waitpid(m_pid, &status, WNOHANG);
        if (waited == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (waited < 0 || Clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace navoket::test
