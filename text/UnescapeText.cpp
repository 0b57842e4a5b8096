#include "text/UnescapeText.h"

#include <optional>
#include <string>
#include <string_view>

#include "text/Utf16Units.h"

namespace navoket {
namespace {

// "{$}" stands in for CR LF while the text sits inside the script's string
// literal, and "’" (A1 AF in code page 936) for the apostrophe that would end it.
constexpr std::string_view lineBreak = "\r\n";
constexpr std::string_view lineBreakPlaceholder = "{$}";
constexpr std::string_view apostrophe = "'";
constexpr std::string_view rightQuote = "\xA1\xAF";

Text replaceEvery(std::string_view text, std::string_view from, std::string_view to) {
    Text result;
    result.reserve(text.size());
    std::size_t at = 0;
    for (std::size_t found = text.find(from); found != std::string_view::npos;
         found = text.find(from, at)) {
        result.append(text.substr(at, found - at)).append(to);
        at = found + from.size();
    }
    result.append(text.substr(at));
    return result;
}

int hexValue(char16_t unit) {
    if (unit >= u'0' && unit <= u'9') {
        return unit - u'0';
    }
    if (unit >= u'a' && unit <= u'f') {
        return unit - u'a' + 10;
    }
    if (unit >= u'A' && unit <= u'F') {
        return unit - u'A' + 10;
    }
    return -1;
}

// The value of `count` hexadecimal digits at `at`, or -1 when there are not
// that many.
int hexNumber(std::u16string_view units, std::size_t at, std::size_t count) {
    if (at > units.size() || units.size() - at < count) {
        return -1;
    }
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int digit = hexValue(units[at + i]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

bool isOctal(char16_t unit) {
    return unit >= u'0' && unit <= u'7';
}

// An octal escape as JScript reads it: a first digit 0-3 takes up to two more
// octal digits, 4-7 up to one more. Returns the number of digits used.
std::size_t readOctal(std::u16string_view units, std::size_t at, char16_t& value) {
    const std::size_t longest = units[at] <= u'3' ? 3 : 2;
    std::size_t used = 0;
    int number = 0;
    while (used < longest && at + used < units.size() && isOctal(units[at + used])) {
        number = number * 8 + (units[at + used] - u'0');
        ++used;
    }
    value = static_cast<char16_t>(number);
    return used;
}

// The value of a single-quoted JScript string literal whose body is `body`,
// or nothing when the script engine would reject it. The body holds no
// apostrophe, so it ends where the script closes it: a line terminator inside
// the literal is a syntax error, and a backslash at the end escapes the closing
// quote and leaves the literal unterminated.
std::optional<std::u16string> readStringLiteral(std::u16string_view body) {
    std::u16string value;
    value.reserve(body.size());
    for (std::size_t at = 0; at < body.size(); ++at) {
        const char16_t unit = body[at];
        if (unit == u'\n' || unit == u'\r') {
            return std::nullopt;
        }
        if (unit != u'\\') {
            value.push_back(unit);
            continue;
        }
        if (++at == body.size() || body[at] == u'\n' || body[at] == u'\r') {
            return std::nullopt;
        }
        const char16_t escaped = body[at];
        switch (escaped) {
            case u'b':
                value.push_back(u'\b');
                break;
            case u'f':
                value.push_back(u'\f');
                break;
            case u'n':
                value.push_back(u'\n');
                break;
            case u'r':
                value.push_back(u'\r');
                break;
            case u't':
                value.push_back(u'\t');
                break;
            case u'x': {
                // A malformed \x stands for the letter, as JScript reads it.
                const int number = hexNumber(body, at + 1, 2);
                if (number < 0) {
                    value.push_back(u'x');
                } else {
                    value.push_back(static_cast<char16_t>(number));
                    at += 2;
                }
                break;
            }
            default:
                if (isOctal(escaped)) {
                    char16_t number = 0;
                    at += readOctal(body, at, number) - 1;
                    value.push_back(number);
                } else {
                    // Every other character, \v included (JScript's classic
                    // engine reads \v as a plain v), stands for itself.
                    value.push_back(escaped);
                }
        }
    }
    return value;
}

// JScript's global unescape: "%u" and four hexadecimal digits, or "%" and two,
// become that code unit; any other "%" stays.
std::u16string unescape(std::u16string_view units) {
    std::u16string result;
    result.reserve(units.size());
    for (std::size_t at = 0; at < units.size(); ++at) {
        if (units[at] == u'%') {
            if (at + 1 < units.size() && units[at + 1] == u'u') {
                const int number = hexNumber(units, at + 2, 4);
                if (number >= 0) {
                    result.push_back(static_cast<char16_t>(number));
                    at += 5;
                    continue;
                }
            }
            const int number = hexNumber(units, at + 1, 2);
            if (number >= 0) {
                result.push_back(static_cast<char16_t>(number));
                at += 2;
                continue;
            }
        }
        result.push_back(units[at]);
    }
    return result;
}

}  // namespace

Text unescapeText(const Text& text) {
    Text prepared = replaceEvery(bytesToText(text), lineBreak, lineBreakPlaceholder);
    if (!prepared.empty() && prepared.front() == '\r') {
        prepared.erase(0, 1);
    }
    prepared = replaceEvery(prepared, "\\u", "%u");
    prepared = replaceEvery(prepared, apostrophe, rightQuote);

    Text result;
    if (const auto literal = readStringLiteral(ansiToUnits(prepared))) {
        result = unitsToAnsi(unescape(*literal));
    }
    if (result.empty()) {
        // The script gave nothing back. Reading the prepared bytes as UTF-16LE
        // would only scramble them, so the prepared text is the better answer.
        result = prepared;
    }
    return replaceEvery(replaceEvery(result, rightQuote, apostrophe), lineBreakPlaceholder,
                        lineBreak);
}

}  // namespace navoket
