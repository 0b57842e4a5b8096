#include "web/WinHttpUrl.h"

#include <cstddef>

#include "text/TextSearch.h"

namespace navoket {

std::optional<WinHttpUrl> crackWinHttpUrl(const Text& url) {
    const std::size_t schemeEnd = url.find("://");
    if (schemeEnd == Text::npos) {
        return std::nullopt;
    }
    const Text scheme = url.substr(0, schemeEnd);
    WinHttpUrl cracked;
    if (scheme.size() == 5 && searchForward(scheme, "https", 1, true) == 1) {
        cracked.secure = true;
        cracked.port = 443;
    } else if (!(scheme.size() == 4 && searchForward(scheme, "http", 1, true) == 1)) {
        return std::nullopt;
    }
    const std::size_t authorityStart = schemeEnd + 3;
    std::size_t authorityEnd = url.find_first_of("/?#", authorityStart);
    if (authorityEnd == Text::npos) {
        authorityEnd = url.size();
    }
    Text authority = url.substr(authorityStart, authorityEnd - authorityStart);
    const std::size_t at = authority.rfind('@');
    if (at != Text::npos) {
        authority.erase(0, at + 1);
    }
    const std::size_t colon = authority.rfind(':');
    if (colon != Text::npos) {
        const Text port = authority.substr(colon + 1);
        if (port.size() > 5 || port.find_first_not_of("0123456789") != Text::npos) {
            return std::nullopt;
        }
        if (!port.empty()) {
            const int number = std::stoi(port);
            if (number > 65535) {
                return std::nullopt;
            }
            // Port 0 stands for the scheme's default.
            if (number != 0) {
                cracked.port = number;
            }
        }
        authority.erase(colon);
    }
    cracked.host = authority;
    const std::size_t extraStart = url.find_first_of("?#", authorityEnd);
    const std::size_t pathEnd = extraStart == Text::npos ? url.size() : extraStart;
    cracked.path = url.substr(authorityEnd, pathEnd - authorityEnd);
    if (extraStart != Text::npos) {
        cracked.extra = url.substr(extraStart);
    }
    return cracked;
}

Text winHttpObjectName(const WinHttpUrl& url) {
    return (url.path.empty() ? Text("/") : url.path) + url.extra.substr(0, url.extra.find('#'));
}

Text winHttpHostHeader(const WinHttpUrl& url) {
    const int schemePort = url.secure ? 443 : 80;
    return url.port == schemePort ? url.host : url.host + ":" + std::to_string(url.port);
}

}  // namespace navoket
