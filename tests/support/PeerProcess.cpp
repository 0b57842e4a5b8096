#include "tests/support/PeerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <thread>

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

// Owns the spawn attributes and file actions for the duration of one spawn.
class SpawnSetup {
public:
    SpawnSetup() {
        m_attrOk = ::posix_spawnattr_init(&m_attr) == 0;
        m_actionsOk = ::posix_spawn_file_actions_init(&m_actions) == 0;
    }
    ~SpawnSetup() {
        if (m_attrOk) {
            ::posix_spawnattr_destroy(&m_attr);
        }
        if (m_actionsOk) {
            ::posix_spawn_file_actions_destroy(&m_actions);
        }
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool ok() const { return m_attrOk && m_actionsOk; }
    posix_spawnattr_t* attr() { return &m_attr; }
    posix_spawn_file_actions_t* actions() { return &m_actions; }

private:
    posix_spawnattr_t m_attr{};
    posix_spawn_file_actions_t m_actions{};
    bool m_attrOk = false;
    bool m_actionsOk = false;
};

}  // namespace

PeerProcess::PeerProcess(const std::vector<std::string>& arguments,
                         std::chrono::milliseconds startBound) {
    if (arguments.empty()) {
        return;
    }
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
    SpawnSetup setup;
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    // Its own process group, so that stopping the peer reaches whatever it started.
    if (setup.ok() && ::posix_spawnattr_setflags(setup.attr(), POSIX_SPAWN_SETPGROUP) == 0 &&
        ::posix_spawnattr_setpgroup(setup.attr(), 0) == 0 &&
        ::posix_spawn_file_actions_adddup2(setup.actions(), in[0], STDIN_FILENO) == 0 &&
        ::posix_spawn_file_actions_adddup2(setup.actions(), out[1], STDOUT_FILENO) == 0) {
        pid_t pid = -1;
        if (::posix_spawn(&pid, argv[0], setup.actions(), setup.attr(), argv.data(), environ) ==
            0) {
            m_pid = pid;
        }
    }
    closeFd(in[0]);
    closeFd(out[1]);
    m_stdin = in[1];
    m_stdout = out[0];
    if (m_pid < 0) {
        closeFd(m_stdin);
        closeFd(m_stdout);
        return;
    }
    std::optional<std::string> line = readLine(startBound);
    if (!line) {
        return;
    }
    m_firstLine = *line;
    m_port = std::atoi(m_firstLine.c_str());
    m_ready = true;
}

PeerProcess::~PeerProcess() {
    stop();
}

bool PeerProcess::writeLine(const std::string& line) {
    if (m_stdin < 0) {
        return false;
    }
    std::string data = line + "\n";
    size_t done = 0;
    while (done < data.size()) {
        ssize_t written = ::write(m_stdin, data.data() + done, data.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

std::optional<std::string> PeerProcess::readLine(std::chrono::milliseconds bound) {
    const Clock::time_point deadline = Clock::now() + bound;
    while (true) {
        size_t end = m_buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        if (m_stdout < 0) {
            return std::nullopt;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd entry{m_stdout, POLLIN, 0};
        int polled = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return std::nullopt;
        }
        char chunk[4096];
        ssize_t got = ::read(m_stdout, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            closeFd(m_stdout);
            continue;
        }
        m_buffer.append(chunk, static_cast<size_t>(got));
    }
}

void PeerProcess::stop() {
    closeFd(m_stdin);
    if (m_pid > 0) {
        ::kill(-m_pid, SIGTERM);
        // Wait without reaping: while the leader is a zombie its group id stays
        // ours, so the final SIGKILL cannot reach a stranger.
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
        siginfo_t info{};
        while (true) {
            info.si_pid = 0;
            int waited =
                ::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT);
            if (waited != 0 || info.si_pid != 0 || Clock::now() >= deadline) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(-m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    closeFd(m_stdout);
}

std::vector<std::string> PeerProcess::pythonScript(const std::string& script,
                                                   const std::vector<std::string>& arguments) {
    // The scripts live beside this file; the build passes absolute source paths.
    const std::string folder = std::filesystem::path(__FILE__).parent_path().string();
    std::vector<std::string> command{"/usr/bin/python3", "-u", folder + "/" + script};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

}  // namespace navoket::test
