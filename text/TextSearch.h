#pragma once

#include <string_view>

#include "platform/Bytes.h"

namespace navoket {

// "#引号" in code page 936: stands for a double quote inside a marker.
extern const char* const doubleQuoteToken;

// Positions are 1-based byte positions; -1 means not found. Searches step over
// double-byte characters (a byte >= 0x80 moves the scan on by two).
int searchForward(std::string_view text, std::string_view needle, int start = 0,
                  bool ignoreCase = false);
int searchBackward(std::string_view text, std::string_view needle, int start = 0,
                   bool ignoreCase = false);

Text textBetween(const Text& text, const Text& left, const Text& right, int start = 0,
                 bool ignoreCase = false);
Text textBefore(const Text& text, const Text& marker, int start = 0, bool ignoreCase = false);
Text textAfter(const Text& text, const Text& marker, int start = 0, bool ignoreCase = false);
Bytes bytesBetween(const Bytes& bytes, const Bytes& left, const Bytes& right);

}  // namespace navoket
