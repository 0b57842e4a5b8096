#pragma once

#include <functional>

#include "platform/Bytes.h"

namespace navoket {

// Message-box flags as Windows numbers them; every box has one OK button.
enum MessageBoxFlag : unsigned {
    messageBoxOk = 0x0,
    messageBoxIconExclamation = 0x30,
    messageBoxIconInformation = 0x40,
    messageBoxSystemModal = 0x1000,
    messageBoxTaskModal = 0x2000,
};

// The one way the program shows a message box: no owner window, task-modal
// added unless system-modal is asked for; returns when the box is closed.
// Texts are code-page-936 bytes.
void showMessageBox(const Text& text, const Text& title, unsigned flags);

// Who actually shows the box: the window runtime installs a real dialog, tests
// and the driver install a recorder. Gets the final flags (task-modal added).
using MessageBoxPresenter =
    std::function<void(const Text& text, const Text& title, unsigned flags)>;
void setMessageBoxPresenter(MessageBoxPresenter presenter);

}  // namespace navoket
