#include "platform/TextToInteger.h"

#include <climits>
#include <cstddef>
#include <string_view>

namespace navoket {
namespace {

// The character at `at`, read as ASCII where it has a full-width form, and
// `at` moved past it; other two-byte characters give 0x01 (no digit, blank or
// sign), the end of the text gives 0.
char nextFoldedCharacter(std::string_view text, std::size_t& at) {
    if (at >= text.size()) {
        return '\0';
    }
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x81 || lead > 0xFE || at + 1 >= text.size()) {
        ++at;
        return static_cast<char>(lead);
    }
    const auto trail = static_cast<unsigned char>(text[at + 1]);
    at += 2;
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        return static_cast<char>(trail - 0xA1 + 0x21);
    }
    if (lead == 0xA1 && trail == 0xA1) {
        return ' ';
    }
    return '\x01';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int textToInteger(const Text& text) {
    const std::string_view characters(text.c_str());
    std::size_t at = 0;
    char c = nextFoldedCharacter(characters, at);
    while (isBlank(c)) {
        c = nextFoldedCharacter(characters, at);
    }
    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        c = nextFoldedCharacter(characters, at);
    }
    // Past INT_MAX the magnitude stops growing: the result saturates anyway,
    // and long digit runs cannot overflow.
    long long magnitude = 0;
    while (c >= '0' && c <= '9') {
        if (magnitude <= INT_MAX) {
            magnitude = magnitude * 10 + (c - '0');
        }
        c = nextFoldedCharacter(characters, at);
    }
    if (negative) {
        return magnitude > INT_MAX ? INT_MIN : static_cast<int>(-magnitude);
    }
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

}  // namespace navoket
