#pragma once

#include "platform/Bytes.h"

namespace navoket {

// Resolves the escapes of a reply such as {"city":"\u4e2d"}: the text is
// read as the body of a single-quoted JScript string literal (\/, \\, \', \n,
// \xHH, octal escapes, ...), every "\u" having first become "%u", and the
// literal's value then goes through JScript's unescape (%uHHHH and %HH).
// CR LF pairs and apostrophes are carried through unchanged. When the literal
// cannot be read (a lone LF or CR, a trailing backslash) or its value is empty,
// the prepared text itself is returned.
Text unescapeText(const Text& text);

}  // namespace navoket
