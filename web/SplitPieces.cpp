#include "web/SplitPieces.h"

#include <cstddef>

namespace navoket {

std::vector<Text> splitPieces(const Text& text, std::string_view separator) {
    std::vector<Text> pieces;
    if (separator.empty()) {
        if (!text.empty()) {
            pieces.push_back(text);
        }
        return pieces;
    }
    std::size_t from = 0;
    for (std::size_t at = text.find(separator); at != Text::npos; at = text.find(separator, from)) {
        pieces.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    pieces.push_back(text.substr(from));
    if (pieces.back().empty()) {
        pieces.pop_back();
    }
    return pieces;
}

}  // namespace navoket
