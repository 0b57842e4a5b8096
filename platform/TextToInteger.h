#pragma once

#include "platform/Bytes.h"

namespace navoket {

// The window runtime's text-to-integer conversion: full-width characters of
// code page 936 are read as their ASCII forms (A3A1..A3FE as '!'..'~', A1A1 as
// a space), leading blanks are skipped, then an optional sign and the leading
// decimal digits are read; a text without digits there gives 0. Numbers beyond
// the int range saturate at INT_MIN / INT_MAX instead of wrapping.
int textToInteger(const Text& text);

}  // namespace navoket
