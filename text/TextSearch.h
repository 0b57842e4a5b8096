#pragma once

#include <string_view>

#include "platform/Bytes.h"

namespace navoket {

// "#引号" in code page 936: stands for a double quote inside a marker.
extern const char* const doubleQuoteToken;
// The text with every doubleQuoteToken replaced by a double quote.
Text replaceDoubleQuoteTokens(const Text& text);

// Positions are 1-based byte positions; -1 means not found. Searches step over
// double-byte characters (a byte >= 0x80 moves the scan on by two).
// searchForward looks from byte max(start, 1) to the end of the text.
int searchForward(std::string_view text, std::string_view needle, int start = 0,
                  bool ignoreCase = false);
// searchBackward gives the last match inside the first start - 1 bytes; a start
// of 0 (none given) searches the whole text, a start of 1 or below 0 nothing.
int searchBackward(std::string_view text, std::string_view needle, int start = 0,
                   bool ignoreCase = false);

// Plain byte search (no two-byte step): first match from 1, -1 when missing;
// an empty needle is never found.
int searchBytes(std::string_view bytes, std::string_view needle);

// Byte cuts that ignore double-byte characters: a count of 0 or less gives
// nothing, a larger count than there is gives what there is; a middle part
// starting outside the text (position below 1 or beyond the end) is empty.
std::string leftBytes(std::string_view text, int count);
std::string rightBytes(std::string_view text, int count);
std::string middleBytes(std::string_view text, int position, int count);

Text textBetween(const Text& text, const Text& left, const Text& right, int start = 0,
                 bool ignoreCase = false);
Text textBefore(const Text& text, const Text& marker, int start = 0, bool ignoreCase = false);
Text textAfter(const Text& text, const Text& marker, int start = 0, bool ignoreCase = false);
Bytes bytesBetween(const Bytes& bytes, const Bytes& left, const Bytes& right);

}  // namespace navoket
