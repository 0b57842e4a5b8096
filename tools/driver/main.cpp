#include <string>

#include <QApplication>
#include <QByteArray>

#include "platform/ui/WindowRegistry.h"
#include "platform/ui/WindowRuntime.h"
#include "tools/driver/LineReader.h"
#include "tools/driver/RecordedBoxes.h"
#include "tools/driver/RequestDispatcher.h"
#include "tools/driver/UiSession.h"

// navoket-driver: JSON lines on standard input call the program's operations
// and work its windows; replies go to standard output, one line each.
int main(int argc, char** argv) {
    // The windows are real but never shown on a screen.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication application(argc, argv);
    navoket::startWindowRuntime();
    navoket::driver::startRecordingBoxes();

    navoket::driver::RequestDispatcher dispatcher(
        {navoket::modalDepth, [] { navoket::closeInnermostModalForm(); }});
    navoket::setOpenFormsObserver([&dispatcher] { dispatcher.schedulePump(); });
    navoket::driver::LineReader reader(
        &application, [&dispatcher](std::string line) { dispatcher.enqueue(std::move(line)); },
        [&dispatcher] { dispatcher.endOfInput(); });

    const int code = QApplication::exec();
    navoket::setOpenFormsObserver({});
    navoket::driver::endUiSession();
    return code;
}
