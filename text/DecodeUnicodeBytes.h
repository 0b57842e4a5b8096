#pragma once

#include "platform/Bytes.h"

namespace navoket {

// Reads a byte buffer as UTF-16LE text, as a data stream with the "unicode"
// character set does: a leading byte-order mark FF FE is skipped, an odd last
// byte is ignored, and the text ends at the first zero code unit. The result is
// code-page-936 text; characters that code page 936 lacks become "?".
Text decodeUnicodeBytes(const Bytes& bytes);

}  // namespace navoket
