#include "tests/tools/DriverSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

extern char** environ;

namespace navoket::test {
namespace {

using Clock = std::chrono::steady_clock;

void closeFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

DriverSession::DriverSession() {
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0) {
        return;
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        closeFd(in[0]);
        closeFd(in[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::string path = NAVOKET_DRIVER_PATH;
    std::vector<char*> argv{path.data(), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        m_pid = pid;
    }
    ::posix_spawn_file_actions_destroy(&actions);
    closeFd(in[0]);
    closeFd(out[1]);
    m_stdin = in[1];
    m_stdout = out[0];
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
    const std::string data = line + "\n";
    std::size_t done = 0;
    while (done < data.size() && m_stdin >= 0) {
        const ssize_t written = ::write(m_stdin, data.data() + done, data.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return done == data.size();
}

std::optional<std::string> DriverSession::readLine(std::chrono::milliseconds bound) {
    const Clock::time_point deadline = Clock::now() + bound;
    while (true) {
        const std::size_t end = m_buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (m_stdout < 0 || left.count() <= 0) {
            return std::nullopt;
        }
        pollfd entry{m_stdout, POLLIN, 0};
        const int polled = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return std::nullopt;
        }
        char chunk[4096];
        const ssize_t got = ::read(m_stdout, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            closeFd(m_stdout);
            continue;
        }
        m_buffer.append(chunk, static_cast<std::size_t>(got));
    }
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
