#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace navoket::test {

// A loopback peer run as a child process (a Python script, a proxy wrapper).
// The child gets pipes on stdin and stdout and its own process group; its first
// stdout line announces it is ready and names its port as the first number.
// On destruction stdin is closed, the group gets SIGTERM, then SIGKILL if it has
// not ended within a bound, and the child is reaped.
class PeerProcess {
public:
    explicit PeerProcess(const std::vector<std::string>& arguments,
                         std::chrono::milliseconds startBound = std::chrono::seconds(20));
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // True when the child started and printed its first line in time.
    bool ready() const { return m_ready; }
    int port() const { return m_port; }
    const std::string& firstLine() const { return m_firstLine; }
    pid_t pid() const { return m_pid; }

    bool writeLine(const std::string& line);
    // The next stdout line without its line end, or nothing after the bound or
    // at end of output.
    std::optional<std::string> readLine(std::chrono::milliseconds bound = std::chrono::seconds(20));

    // Stops the child now (what the destructor does); safe to call twice.
    void stop();

    // /usr/bin/python3 running a script of tests/support with the arguments.
    static std::vector<std::string> pythonScript(const std::string& script,
                                                 const std::vector<std::string>& arguments = {});

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_buffer;
    std::string m_firstLine;
    int m_port = 0;
    bool m_ready = false;
};

}  // namespace navoket::test
