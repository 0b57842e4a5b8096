#include "web/ReplyCookies.h"

#include <cstddef>

#include "text/TextSearch.h"
#include "web/Trim.h"

namespace navoket {

Text collectReplyCookies(const Text& headerBlock) {
    Text cookies;
    std::size_t from = 0;
    while (from <= headerBlock.size()) {
        std::size_t end = headerBlock.find("\r\n", from);
        if (end == Text::npos) {
            end = headerBlock.size();
        }
        const Text line = headerBlock.substr(from, end - from);
        from = end + 2;
        if (textBefore(line, ": ") != "Set-Cookie") {
            continue;
        }
        Text cookie;
        if (line.find(';') != Text::npos) {
            cookie = textBetween(line, "Set-Cookie:", ";");
        } else {
            cookie = line;
            for (int at = searchForward(cookie, "Set-Cookie:", 1, true); at != -1;
                 at = searchForward(cookie, "Set-Cookie:", at, true)) {
                cookie.erase(static_cast<std::size_t>(at) - 1, 11);
            }
        }
        cookies += trimText(cookie) + "; ";
    }
    if (cookies.size() >= 2) {
        cookies.resize(cookies.size() - 2);
    }
    return cookies;
}

}  // namespace navoket
