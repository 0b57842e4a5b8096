#include "tests/support/ChildPipes.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

extern char** environ;

namespace navoket::test {

namespace {

using Clock = std::chrono::steady_clock;

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

bool groupSet(SpawnSetup& setup, bool ownGroup) {
    return !ownGroup || (::posix_spawnattr_setflags(setup.attr(), POSIX_SPAWN_SETPGROUP) == 0 &&
                         ::posix_spawnattr_setpgroup(setup.attr(), 0) == 0);
}

}  // namespace

ChildPipes spawnWithPipes(const std::vector<std::string>& arguments, bool ownGroup) {
    ChildPipes child;
    if (arguments.empty()) {
        return child;
    }
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0) {
        return child;
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        closeFd(in[0]);
        closeFd(in[1]);
        return child;
    }
    SpawnSetup setup;
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    if (setup.ok() && groupSet(setup, ownGroup) &&
        ::posix_spawn_file_actions_adddup2(setup.actions(), in[0], STDIN_FILENO) == 0 &&
        ::posix_spawn_file_actions_adddup2(setup.actions(), out[1], STDOUT_FILENO) == 0) {
        pid_t pid = -1;
        if (::posix_spawn(&pid, argv[0], setup.actions(), setup.attr(), argv.data(), environ) ==
            0) {
            child.pid = pid;
        }
    }
    closeFd(in[0]);
    closeFd(out[1]);
    child.input = in[1];
    child.output = out[0];
    if (child.pid < 0) {
        closeFd(child.input);
        closeFd(child.output);
    }
    return child;
}

void closeFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

bool writeAll(int fd, const std::string& data) {
    if (fd < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::optional<std::string> readLineFrom(int& fd, std::string& buffer,
                                        std::chrono::milliseconds bound) {
    const Clock::time_point deadline = Clock::now() + bound;
    while (true) {
        const std::size_t end = buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (fd < 0 || left.count() <= 0) {
            return std::nullopt;
        }
        pollfd entry{fd, POLLIN, 0};
        const int polled = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return std::nullopt;
        }
        char chunk[4096];
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            closeFd(fd);
            continue;
        }
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
}

}  // namespace navoket::test
