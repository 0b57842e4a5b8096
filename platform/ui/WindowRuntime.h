#pragma once

namespace navoket {

// Prepares the window runtime once a QApplication exists: the program's font,
// message boxes as real dialogs, and no implicit end of the message loop (the
// program ends it when its main window closes).
void startWindowRuntime();

}  // namespace navoket
