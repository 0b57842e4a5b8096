#pragma once

#include "platform/Bytes.h"

namespace navoket {

// Removes half-width spaces (0x20) and code-page-936 full-width spaces (A1 A1)
// at both ends; tabs, CR and LF stay. Steps over double-byte characters, so a
// trail byte A1 is never taken for half of a full-width space.
Text trimText(const Text& text);

}  // namespace navoket
