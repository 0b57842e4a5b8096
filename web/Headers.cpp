#include "web/Headers.h"

#include <cstddef>

#include "text/TextSearch.h"
#include "web/SplitPieces.h"
#include "web/Trim.h"

namespace navoket {

namespace {

Text capitalizeName(const Text& name) {
    if (name.find('-') == Text::npos) {
        return capitalizeFirst(name);
    }
    Text rebuilt;
    for (const Text& piece : splitPieces(name, "-")) {
        rebuilt += capitalizeFirst(piece) + "-";
    }
    if (!rebuilt.empty()) {
        rebuilt.pop_back();
    }
    return rebuilt;
}

}  // namespace

Text normalizeHeaders(const Text& block) {
    Text result;
    bool first = true;
    for (const Text& line : splitPieces(block, "\r\n")) {
        const int colon = searchForward(line, ":");
        if (colon == -1) {
            continue;
        }
        // The rebuilt name replaces as many leading bytes as it is long: a name
        // ending in "-" loses that dash in the split and gets it back here.
        const Text name = capitalizeName(line.substr(0, static_cast<std::size_t>(colon) - 1));
        if (!first) {
            result += "\r\n";
        }
        result += name + line.substr(name.size());
        first = false;
    }
    return result;
}

Text capitalizeFirst(const Text& text) {
    Text result = text;
    if (!result.empty() && result[0] >= 'a' && result[0] <= 'z') {
        result[0] = static_cast<char>(result[0] - ('a' - 'A'));
    }
    return result;
}

Text headerName(const Text& line) {
    const int colon = searchForward(line, ":");
    return colon == -1 ? Text() : trimText(line.substr(0, static_cast<std::size_t>(colon) - 1));
}

Text headerValue(const Text& line) {
    const int colon = searchForward(line, ":");
    return colon == -1 ? Text() : trimText(line.substr(static_cast<std::size_t>(colon)));
}

}  // namespace navoket
