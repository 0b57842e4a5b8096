#include "web/Cookies.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "web/SplitPieces.h"
#include "web/Trim.h"

namespace navoket {

namespace {

constexpr std::string_view pairSeparator = "; ";
constexpr std::string_view deletedMark = "=deleted";

// A trailing ";" becomes "; ", whose empty last piece the split then drops.
void trimCookieSet(Text& set) {
    set = trimText(set);
    if (!set.empty() && set.back() == ';') {
        set += ' ';
    }
}

bool isDeleted(const Text& pair) {
    return pair.size() >= deletedMark.size() &&
           pair.compare(pair.size() - deletedMark.size(), deletedMark.size(), deletedMark) == 0;
}

Text dropLast(Text text, std::size_t count) {
    text.resize(text.size() > count ? text.size() - count : 0);
    return text;
}

}  // namespace

Text mergeCookies(Text& oldSet, Text& newSet) {
    trimCookieSet(oldSet);
    trimCookieSet(newSet);
    std::vector<Text> working = splitPieces(newSet, pairSeparator);
    for (const Text& oldPair : splitPieces(oldSet, pairSeparator)) {
        const Text name = cookieName(oldPair);
        const bool mentioned = std::any_of(working.begin(), working.end(), [&](const Text& pair) {
            return cookieName(pair) == name;
        });
        if (!mentioned) {
            working.push_back(oldPair);
        }
    }
    Text result;
    for (const Text& pair : working) {
        if (!isDeleted(pair)) {
            result += pair;
            result += pairSeparator;
        }
    }
    result = uniquePieces(dropLast(result, pairSeparator.size()), Text(pairSeparator));
    oldSet = result;
    return result;
}

Text cookieName(const Text& pair) {
    const std::size_t equals = pair.find('=');
    return trimText(equals == Text::npos ? pair : pair.substr(0, equals));
}

Text uniquePieces(const Text& text, const Text& separator) {
    std::vector<Text> kept;
    Text result;
    for (const Text& piece : splitPieces(text, separator)) {
        if (std::find(kept.begin(), kept.end(), piece) == kept.end()) {
            kept.push_back(piece);
            result += piece + separator;
        }
    }
    return dropLast(result, separator.size());
}

}  // namespace navoket
