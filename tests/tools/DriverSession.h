#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace navoket::test {

// A navoket-driver child process spoken to through its standard input and
// output. Every wait is bounded; the destructor kills a child still running.
class DriverSession {
public:
    DriverSession();
    ~DriverSession();
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    bool started() const { return m_pid > 0; }
    bool send(const std::string& line);
    bool send(const nlohmann::json& request) { return send(request.dump()); }
    // The next reply line as written, or nothing at the bound or end of output.
    std::optional<std::string> readLine(std::chrono::milliseconds bound = std::chrono::seconds(30));
    // The next reply parsed; a discarded value when there is none.
    nlohmann::json readReply(std::chrono::milliseconds bound = std::chrono::seconds(30));
    // Sends one request and reads the next reply.
    nlohmann::json call(const nlohmann::json& request);

    // Clicks a control whose handler opens a modal window; the click's reply
    // (id "open") comes only when that window has closed.
    bool clickOpeningModal(const std::string& window, const nlohmann::json& control);
    // Closes that modal window and gives the results of the close and of the
    // click that opened it, by id ("close", "open").
    std::map<std::string, nlohmann::json> closeModalWindow(const std::string& window);

    void closeInput();
    // The exit status once the child has ended, or nothing at the bound.
    std::optional<int> waitForExit(std::chrono::milliseconds bound = std::chrono::seconds(30));

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_buffer;
};

}  // namespace navoket::test
