#include "text/TextSearch.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace navoket {

const char* const doubleQuoteToken = "#\xD2\xFD\xBA\xC5";

namespace {

unsigned char asciiLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool matchesAt(std::string_view text, std::size_t at, std::string_view needle, bool ignoreCase) {
    if (!ignoreCase) {
        return text.compare(at, needle.size(), needle) == 0;
    }
    for (std::size_t i = 0; i < needle.size(); ++i) {
        if (asciiLower(static_cast<unsigned char>(text[at + i])) !=
            asciiLower(static_cast<unsigned char>(needle[i]))) {
            return false;
        }
    }
    return true;
}

std::size_t charLength(unsigned char lead) {
    return lead >= 0x80 ? 2 : 1;
}

// Moves a scan position on with the two-byte step until it reaches `target`;
// it ends on `target` or, when `target` is a trail byte, one past it. Runs of
// ASCII bytes, where every byte starts a character, are crossed eight at a time.
std::size_t walkTo(std::string_view text, std::size_t at, std::size_t target) {
    const auto* data = reinterpret_cast<const unsigned char*>(text.data());
    while (at < target) {
        if (data[at] >= 0x80) {
            at += 2;
            continue;
        }
        while (at + 8 <= target) {
            std::uint64_t word;
            std::memcpy(&word, data + at, sizeof word);
            if ((word & 0x8080808080808080ULL) != 0) {
                break;
            }
            at += 8;
        }
        while (at < target && data[at] < 0x80) {
            ++at;
        }
    }
    return at;
}

// Walks text[from, end) with the two-byte step of code page 936 lead bytes, so
// that a match never begins on a trail byte. Returns the 1-based position of
// the first (or, with wantLast, the last) match lying wholly before `end`.
// Candidates come from memmem; the walk then says whether the scan lands on them.
int scan(std::string_view text, std::size_t from, std::size_t end, std::string_view needle,
         bool ignoreCase, bool wantLast) {
    if (from >= end) {
        return -1;
    }
    if (needle.empty()) {
        return 1;
    }
    int found = -1;
    std::size_t at = from;
    while (at < end && needle.size() <= end - at) {
        std::size_t candidate = at;
        if (!ignoreCase) {
            const void* hit = memmem(text.data() + at, end - at, needle.data(), needle.size());
            if (hit == nullptr) {
                break;
            }
            candidate = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
            at = walkTo(text, at, candidate);
        }
        if (at == candidate && matchesAt(text, at, needle, ignoreCase)) {
            found = static_cast<int>(at) + 1;
            if (!wantLast) {
                return found;
            }
        }
        if (at == candidate) {
            at += charLength(static_cast<unsigned char>(text[at]));
        }
    }
    return found;
}

// The last match inside the first `limit` bytes of the text.
int searchBackwardWithin(std::string_view text, std::string_view needle, long long limit,
                         bool ignoreCase) {
    if (limit <= 0) {
        return -1;
    }
    const auto end = std::min(text.size(), static_cast<std::size_t>(limit));
    return scan(text, 0, end, needle, ignoreCase, true);
}

}  // namespace

Text replaceDoubleQuoteTokens(const Text& text) {
    const std::string_view token = doubleQuoteToken;
    Text result;
    std::size_t at = 0;
    for (std::size_t found = text.find(token); found != Text::npos; found = text.find(token, at)) {
        result.append(text, at, found - at).push_back('"');
        at = found + token.size();
    }
    return result.append(text, at);
}

int searchForward(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
    const auto from = start <= 1 ? std::size_t{0} : static_cast<std::size_t>(start) - 1;
    return scan(text, from, text.size(), needle, ignoreCase, false);
}

int searchBackward(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
    const long long limit =
        start == 0 ? static_cast<long long>(text.size()) : static_cast<long long>(start) - 1;
    return searchBackwardWithin(text, needle, limit, ignoreCase);
}

int searchBytes(std::string_view bytes, std::string_view needle) {
    if (needle.empty()) {
        return -1;
    }
    const auto at = bytes.find(needle);
    return at == std::string_view::npos ? -1 : static_cast<int>(at) + 1;
}

std::string leftBytes(std::string_view text, int count) {
    if (count <= 0) {
        return {};
    }
    return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

std::string rightBytes(std::string_view text, int count) {
    if (count <= 0) {
        return {};
    }
    const auto n = std::min(text.size(), static_cast<std::size_t>(count));
    return std::string(text.substr(text.size() - n));
}

std::string middleBytes(std::string_view text, int position, int count) {
    if (count <= 0 || position < 1 || static_cast<std::size_t>(position) > text.size()) {
        return {};
    }
    return std::string(
        text.substr(static_cast<std::size_t>(position) - 1, static_cast<std::size_t>(count)));
}

Text textBetween(const Text& text, const Text& left, const Text& right, int start,
                 bool ignoreCase) {
    const Text leftMarker = replaceDoubleQuoteTokens(left);
    const Text rightMarker = replaceDoubleQuoteTokens(right);
    const int found = searchForward(text, leftMarker, start, ignoreCase);
    if (found == -1) {
        return {};
    }
    const int from = found + static_cast<int>(leftMarker.size());
    const int end = searchForward(text, rightMarker, from, ignoreCase);
    if (end == -1) {
        return {};
    }
    return middleBytes(text, from, end - from);
}

Text textBefore(const Text& text, const Text& marker, int start, bool ignoreCase) {
    const auto length = static_cast<long long>(text.size());
    int found;
    if (start < 0) {
        // -1 searches the whole text; -n leaves the last n bytes out.
        const long long n = start == -1 ? 0 : -static_cast<long long>(start);
        found = searchBackwardWithin(text, marker, length - n, ignoreCase);
    } else {
        found = searchForward(text, marker, start, ignoreCase);
    }
    return found == -1 ? Text() : leftBytes(text, found - 1);
}

Text textAfter(const Text& text, const Text& marker, int start, bool ignoreCase) {
    const auto length = static_cast<long long>(text.size());
    int found;
    if (start < 0) {
        const auto from = static_cast<std::size_t>(-static_cast<long long>(start)) - 1;
        found = scan(text, from, text.size(), marker, ignoreCase, false);
    } else {
        // 0 searches the whole text; a positive start leaves that many bytes out at the end.
        found = searchBackwardWithin(text, marker, length - start, ignoreCase);
    }
    if (found == -1) {
        return {};
    }
    return rightBytes(text,
                      static_cast<int>(length - static_cast<long long>(marker.size())) - found + 1);
}

Bytes bytesBetween(const Bytes& bytes, const Bytes& left, const Bytes& right) {
    const int found = searchBytes(bytes, left);
    if (found == -1) {
        return {};
    }
    const auto rest = rightBytes(
        bytes, static_cast<int>(bytes.size()) - found - static_cast<int>(left.size()) + 1);
    const int end = searchBytes(rest, right);
    if (end == -1) {
        return {};
    }
    return leftBytes(rest, end - 1);
}

}  // namespace navoket
