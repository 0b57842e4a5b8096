#include "web/ReplyCookies.h"

#include <cstddef>

#include "text/TextSearch.h"
#include "web/BlockLines.h"
#include "web/Trim.h"

namespace navoket {

Text collectReplyCookies(const Text& headerBlock) {
    Text cookies;
    forEachBlockLine(headerBlock, [&cookies](const Text& line) {
        if (textBefore(line, ": ") != "Set-Cookie") {
            return true;
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
        return true;
    });
    if (cookies.size() >= 2) {
        cookies.resize(cookies.size() - 2);
    }
    return cookies;
}

}  // namespace navoket
