#pragma once

#include "platform/Bytes.h"

namespace navoket {

// Header blocks are lines separated by CR LF.

// Every header name capitalised word by word at its "-"; lines without ":"
// are dropped; no trailing CR LF.
Text normalizeHeaders(const Text& block);
// The first character upper-cased (ASCII), the rest unchanged.
Text capitalizeFirst(const Text& text);
// The trimmed text before / after the first ":", empty without ":".
Text headerName(const Text& line);
Text headerValue(const Text& line);

}  // namespace navoket
