#pragma once

#include "platform/Bytes.h"

namespace navoket {

// Cookie texts are pairs "name=value" joined by "; ".

// Folds newSet into oldSet: new pairs first in their order, then the old pairs
// whose names the new set does not mention; pairs ending in "=deleted" go, and
// exact repeats go. oldSet receives the result; newSet is left trimmed.
Text mergeCookies(Text& oldSet, Text& newSet);
// The trimmed text before the first "=", or the whole pair trimmed.
Text cookieName(const Text& pair);
// The pieces between separators, each kept at its first occurrence only.
Text uniquePieces(const Text& text, const Text& separator);

}  // namespace navoket
