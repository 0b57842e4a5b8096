#include "web/Trim.h"

#include <cstddef>

namespace navoket {

namespace {

std::size_t characterLength(const Text& text, std::size_t at) {
    const bool lead = static_cast<unsigned char>(text[at]) >= 0x80 && at + 1 < text.size();
    return lead ? 2 : 1;
}

bool isSpaceAt(const Text& text, std::size_t at, std::size_t length) {
    if (length == 1) {
        return text[at] == ' ';
    }
    return text.compare(at, 2, "\xA1\xA1") == 0;
}

}  // namespace

Text trimText(const Text& text) {
    std::size_t first = text.size();
    std::size_t end = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = characterLength(text, at);
        if (!isSpaceAt(text, at, length)) {
            if (first == text.size()) {
                first = at;
            }
            end = at + length;
        }
        at += length;
    }
    return first < end ? text.substr(first, end - first) : Text();
}

}  // namespace navoket
