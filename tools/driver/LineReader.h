#pragma once

#include <functional>
#include <string>
#include <thread>

class QObject;

namespace navoket::driver {

// Reads standard input line by line on its own thread and hands every line,
// then the end of input, to the thread of the given context object, so that
// lines keep being read while that thread waits in a modal window.
class LineReader {
public:
    LineReader(QObject* context, std::function<void(std::string)> onLine,
               std::function<void()> onEnd);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

private:
    std::thread m_thread;
};

}  // namespace navoket::driver
