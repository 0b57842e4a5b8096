#include "platform/TextToInteger.h"

#include <climits>
#include <cstddef>

namespace navoket {
namespace {

// Reads one character at `at` as ASCII where it has a full-width form and
// advances past it; other two-byte characters come back as 0 (no digit, no
// blank, no sign).
char nextFoldedCharacter(const Text& text, std::size_t& at) {
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
    return '\0';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int textToInteger(const Text& text) {
    const Text digitsAndMore(text.c_str());
    std::size_t at = 0;
    char c = '\0';
    do {
        if (at >= digitsAndMore.size()) {
            return 0;
        }
        c = nextFoldedCharacter(digitsAndMore, at);
    } while (isBlank(c));

    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        if (at >= digitsAndMore.size()) {
            return 0;
        }
        c = nextFoldedCharacter(digitsAndMore, at);
    }
    // Accumulate towards the sign so that INT_MIN itself stays representable.
    long long value = 0;
    while (c >= '0' && c <= '9') {
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            break;
        }
        if (at >= digitsAndMore.size()) {
            break;
        }
        c = nextFoldedCharacter(digitsAndMore, at);
    }
    if (negative) {
        return value > static_cast<long long>(INT_MAX) ? INT_MIN : static_cast<int>(-value);
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace navoket
