#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tools/driver/CallTable.h"

namespace navoket::driver {

// Runs the requests on the window thread, in the order they arrived, one at a
// time, except that while the innermost running handler waits in a modal
// window it opened, the next requests run inside that window's event loop, so
// their replies may come before the waiting one's. When the input has ended
// and every request has been answered, the event loop is told to end.
class RequestDispatcher {
public:
    struct WindowHooks {
        std::function<int()> modalDepth;            // modal windows open now
        std::function<void()> closeInnermostModal;  // as by its close box
    };

    explicit RequestDispatcher(WindowHooks hooks);

    // Window thread only.
    void enqueue(std::string line);
    void endOfInput();
    // Runs what may run now; call it whenever windows open or close.
    void schedulePump();

private:
    void pump();
    bool innermostIsWaitingInModal() const;
    void run(const std::string& line);
    // The reply's JSON text; empty for a line that holds nothing.
    std::string answer(const std::string& line);
    std::string answerCall(const Json& id, Json& request);

    WindowHooks m_hooks;
    std::deque<std::string> m_queue;
    std::vector<int> m_runningStartDepths;
    bool m_inputEnded = false;
    bool m_pumpScheduled = false;
};

// One line on standard output, flushed at once.
void writeReplyLine(const std::string& line);

}  // namespace navoket::driver
