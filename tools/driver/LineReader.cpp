#include "tools/driver/LineReader.h"

#include <iostream>

#include <QMetaObject>
#include <QObject>

namespace navoket::driver {

LineReader::LineReader(QObject* context, std::function<void(std::string)> onLine,
                       std::function<void()> onEnd) {
    m_thread = std::thread([context, onLine = std::move(onLine), onEnd = std::move(onEnd)] {
        std::string line;
        while (std::getline(std::cin, line)) {
            QMetaObject::invokeMethod(
                context, [onLine, line] { onLine(line); }, Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(context, onEnd, Qt::QueuedConnection);
    });
}

// The reader ends only at the end of input; the driver leaves its event loop
// only after that (or ends the process at once on "exit").
LineReader::~LineReader() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

}  // namespace navoket::driver
