#include "tests/support/PeerProcess.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/ChildPipes.h"

namespace navoket::test {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

PeerProcess::PeerProcess(const std::vector<std::string>& arguments,
                         std::chrono::milliseconds startBound) {
    // Its own process group, so that stopping the peer reaches whatever it started.
    const ChildPipes child = spawnWithPipes(arguments, true);
    m_pid = child.pid;
    m_stdin = child.input;
    m_stdout = child.output;
    if (m_pid < 0) {
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
    return writeAll(m_stdin, line + "\n");
}

std::optional<std::string> PeerProcess::readLine(std::chrono::milliseconds bound) {
    std::optional<std::string> line = readLineFrom(m_stdout, m_buffer, bound);
    if (line && !line->empty() && line->back() == '\r') {
        line->pop_back();
    }
    return line;
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
