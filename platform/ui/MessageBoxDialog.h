#pragma once

#include "platform/Bytes.h"

namespace navoket {

// The message box as the user sees it: a dialog without owner, modal to the
// whole program, one OK button, the icon the flags ask for (information
// 0x40, exclamation 0x30); returns when it is closed.
void showMessageBoxDialog(const Text& text, const Text& title, unsigned flags);

}  // namespace navoket
