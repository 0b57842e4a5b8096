#pragma once

#include <string_view>
#include <vector>

#include "platform/Bytes.h"

namespace navoket {

// The pieces of text between separators, in order. Empty pieces between two
// separators stay; an empty piece after a final separator (or of an empty text)
// is dropped. An empty separator gives the whole text as one piece.
std::vector<Text> splitPieces(const Text& text, std::string_view separator);

}  // namespace navoket
