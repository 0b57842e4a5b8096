#include "web/Url.h"

#include <climits>
#include <cstddef>

#include "text/TextSearch.h"

namespace navoket {

namespace {

// ASCII letters only, stepping over double-byte characters: a trail byte in
// 0x41..0x5A is part of a Chinese character, not a letter.
Text lowerCase(const Text& text) {
    Text result = text;
    for (std::size_t at = 0; at < result.size(); ++at) {
        const auto byte = static_cast<unsigned char>(result[at]);
        if (byte >= 0x80) {
            ++at;
        } else if (byte >= 'A' && byte <= 'Z') {
            result[at] = static_cast<char>(byte + ('a' - 'A'));
        }
    }
    return result;
}

// Leading decimal digits, the code-page-936 full-width digits (A3 B0..A3 B9)
// included; 0 when there are none. Saturates instead of overflowing.
int leadingNumber(const Text& text) {
    long long value = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        int digit = -1;
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= '0' && byte <= '9') {
            digit = byte - '0';
            at += 1;
        } else if (byte == 0xA3 && at + 1 < text.size()) {
            const auto trail = static_cast<unsigned char>(text[at + 1]);
            if (trail >= 0xB0 && trail <= 0xB9) {
                digit = trail - 0xB0;
                at += 2;
            }
        }
        if (digit < 0) {
            break;
        }
        value = value * 10 + digit;
        if (value > INT_MAX) {
            return INT_MAX;
        }
    }
    return static_cast<int>(value);
}

}  // namespace

Text splitUrl(const Text& url, bool keepPort) {
    Text work = lowerCase(url);
    if (work.empty() || work.back() != '/') {
        work += '/';
    }
    Text prefix = "https://";
    if (work.compare(0, prefix.size(), prefix) != 0) {
        prefix = "http://";
        if (searchForward(work, prefix) == -1) {
            work = prefix + work;
        }
    }
    // The first occurrence of the prefix counts, even one inside the query.
    const Text authority = textBetween(work, prefix, "/");
    if (keepPort || searchForward(authority, ":") == -1) {
        return authority;
    }
    return textBefore(authority, ":");
}

int urlPort(const Text& url) {
    const Text hostAndPort = splitUrl(url, true);
    const int colon = searchBackward(hostAndPort, ":");
    if (colon == -1) {
        return lowerCase(url).compare(0, 5, "https") == 0 ? 443 : 80;
    }
    return leadingNumber(hostAndPort.substr(static_cast<std::size_t>(colon)));
}

Text urlPath(const Text& url) {
    const int host = searchForward(url, splitUrl(url), 1, true);
    const int slash = searchForward(url, "/", host == -1 ? 1 : host);
    if (slash == -1) {
        return "/";
    }
    return url.substr(static_cast<std::size_t>(slash) - 1);
}

}  // namespace navoket
