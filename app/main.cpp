#include <cstdlib>
#include <cstring>

#include <QApplication>

#include "app/MainWindow.h"
#include "app/settings/ProgramTexts.h"
#include "platform/DriveC.h"
#include "platform/ui/WindowRuntime.h"

namespace {

// The exit routine: the global texts are released when the program ends.
void releaseProgramTexts() {
    navoket::programTexts() = navoket::ProgramTexts{};
}

// The program reads no command line, with one exception for the demo: a drive
// folder of its own instead of the user's.
void takeDemoDriveRoot(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--drive-root") == 0) {
            navoket::setDriveRoot(argv[i + 1]);
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    takeDemoDriveRoot(argc, argv);
    navoket::startWindowRuntime();
    // The texts exist before the routine is registered, so they are still
    // there when it runs (exit destroys in the reverse order of both).
    navoket::programTexts();
    std::atexit(releaseProgramTexts);
    std::at_quick_exit(releaseProgramTexts);

    navoket::MainWindow mainWindow;
    mainWindow.form().onClosed([] { QApplication::quit(); });
    mainWindow.open();
    if (mainWindow.form().isOpen()) {
        QApplication::exec();
    }
    // The address lookup's thread cannot be stopped and may still be inside
    // the web stack, which uses static objects (tables, libcurl's and
    // OpenSSL's state); exit would destroy them under it.
    if (mainWindow.locationPending()) {
        std::quick_exit(0);
    }
    return 0;
}
