#include "text/RegexDialect.h"

namespace navoket {
namespace {

bool isDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

bool isHexDigit(char16_t unit) {
    return isDigit(unit) || (unit >= u'a' && unit <= u'f') || (unit >= u'A' && unit <= u'F');
}

bool isAsciiLetter(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z');
}

bool hexDigitsFollow(std::u16string_view pattern, std::size_t at, std::size_t count) {
    if (at > pattern.size() || pattern.size() - at < count) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!isHexDigit(pattern[at + i])) {
            return false;
        }
    }
    return true;
}

// Length of a {n}, {n,} or {n,m} quantifier at `at`, or 0 when the brace is a
// literal one (both dialects read such a brace as itself).
std::size_t braceQuantifierLength(std::u16string_view pattern, std::size_t at) {
    std::size_t end = at + 1;
    const auto digits = [&] {
        const std::size_t from = end;
        while (end < pattern.size() && isDigit(pattern[end])) {
            ++end;
        }
        return end > from;
    };
    if (!digits()) {
        return 0;
    }
    if (end < pattern.size() && pattern[end] == u',') {
        ++end;
        digits();
    }
    return (end < pattern.size() && pattern[end] == u'}') ? end + 1 - at : 0;
}

std::size_t quantifierLength(std::u16string_view pattern, std::size_t at) {
    if (at >= pattern.size()) {
        return 0;
    }
    const char16_t unit = pattern[at];
    if (unit == u'*' || unit == u'+' || unit == u'?') {
        return 1;
    }
    return unit == u'{' ? braceQuantifierLength(pattern, at) : 0;
}

// Appends the escape whose letter is at `at` (after the backslash) and returns
// the index of its last unit. Letters that the dialect does not give a meaning
// stand for themselves there, while PCRE2 would read many of them as its own
// escapes (\A, \h, \K, \Q, \R, \z, ...), so they are written out plainly.
std::size_t appendEscape(std::u16string_view pattern, std::size_t at, bool inClass,
                         std::u16string& out) {
    const char16_t unit = pattern[at];
    switch (unit) {
        case u'd':
        case u'D':
        case u'w':
        case u'W':
        case u's':
        case u'S':
        case u'b':
        case u'f':
        case u'n':
        case u'r':
        case u't':
            out.push_back(u'\\');
            out.push_back(unit);
            return at;
        case u'B':
            // A class has no word boundaries; there the dialect reads a B.
            out.append(inClass ? u"B" : u"\\B");
            return at;
        case u'v':
            // The vertical tab; PCRE2's \v is a class of vertical space.
            out.append(u"\\x0b");
            return at;
        case u'x':
        case u'u': {
            const std::size_t count = unit == u'x' ? 2 : 4;
            if (!hexDigitsFollow(pattern, at + 1, count)) {
                out.push_back(unit);
                return at;
            }
            out.push_back(u'\\');
            out.append(pattern.substr(at, count + 1));
            return at + count;
        }
        case u'c':
            if (at + 1 < pattern.size() && isAsciiLetter(pattern[at + 1])) {
                out.push_back(u'\\');
                out.append(pattern.substr(at, 2));
                return at + 1;
            }
            // Without a letter, \c is a backslash followed by c.
            out.append(u"\\\\c");
            return at;
        default:
            break;
    }
    if (isDigit(unit)) {
        // \0 and octal escapes and back references read alike in both.
        out.push_back(u'\\');
        out.push_back(unit);
    } else if (isAsciiLetter(unit) || unit >= 0x80) {
        out.push_back(unit);
    } else {
        out.push_back(u'\\');
        out.push_back(unit);
    }
    return at;
}

void appendGroupSpan(std::u16string_view subject, const RegexMatches& matches, std::size_t match,
                     std::size_t group, std::u16string& out) {
    const RegexMatches::Span& span = matches.span(match, group);
    if (span.begin != RegexMatches::unset) {
        out.append(subject.substr(span.begin, span.end - span.begin));
    }
}

// Appends the expansion of `replacement` for one match.
void appendReplacement(std::u16string_view subject, const RegexMatches& matches, std::size_t match,
                       std::u16string_view replacement, std::u16string& out) {
    const RegexMatches::Span& whole = matches.span(match, 0);
    for (std::size_t at = 0; at < replacement.size(); ++at) {
        const char16_t unit = replacement[at];
        if (unit != u'$' || at + 1 == replacement.size()) {
            out.push_back(unit);
            continue;
        }
        const char16_t next = replacement[at + 1];
        if (next == u'$') {
            out.push_back(u'$');
            ++at;
        } else if (next == u'&') {
            appendGroupSpan(subject, matches, match, 0, out);
            ++at;
        } else if (next == u'`') {
            out.append(subject.substr(0, whole.begin));
            ++at;
        } else if (next == u'\'') {
            out.append(subject.substr(whole.end));
            ++at;
        } else if (isDigit(next)) {
            const std::size_t one = next - u'0';
            const bool twoDigits = at + 2 < replacement.size() && isDigit(replacement[at + 2]);
            const std::size_t two = twoDigits ? one * 10 + (replacement[at + 2] - u'0') : 0;
            if (two >= 1 && two <= matches.groupCount) {
                appendGroupSpan(subject, matches, match, two, out);
                at += 2;
            } else if (one >= 1 && one <= matches.groupCount) {
                appendGroupSpan(subject, matches, match, one, out);
                at += 1;
            } else {
                out.push_back(u'$');
            }
        } else {
            out.push_back(u'$');
        }
    }
}

}  // namespace

std::optional<std::u16string> translatePattern(std::u16string_view pattern, bool multiline) {
    std::u16string out;
    out.reserve(pattern.size() + 16);
    bool inClass = false;
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        const char16_t unit = pattern[at];
        if (unit == u'\\') {
            if (at + 1 == pattern.size()) {
                return std::nullopt;
            }
            at = appendEscape(pattern, at + 1, inClass, out);
            continue;
        }
        if (inClass) {
            // "[" is plain inside a class; PCRE2 would start a POSIX class
            // with "[:". An empty class "[]" closes at once in both dialects
            // (PCRE2_ALLOW_EMPTY_CLASS), so every "]" ends the class.
            out.append(unit == u'[' ? u"\\[" : std::u16string(1, unit));
            inClass = unit != u']';
            continue;
        }
        const std::size_t quantifier = quantifierLength(pattern, at);
        if (quantifier > 0) {
            std::size_t end = at + quantifier;
            if (end < pattern.size() && pattern[end] == u'?') {
                ++end;
            }
            // A quantifier right after another is an error in the dialect;
            // PCRE2 would read "++", "*+", "{2}+" as possessive.
            if (quantifierLength(pattern, end) > 0) {
                return std::nullopt;
            }
            out.append(pattern.substr(at, end - at));
            at = end - 1;
            continue;
        }
        switch (unit) {
            case u'[':
                inClass = true;
                out.push_back(unit);
                break;
            case u'(':
                if (at + 1 < pattern.size() && pattern[at + 1] == u'*') {
                    return std::nullopt;
                }
                if (at + 1 < pattern.size() && pattern[at + 1] == u'?') {
                    const char16_t kind = at + 2 < pattern.size() ? pattern[at + 2] : u'\0';
                    if (kind != u':' && kind != u'=' && kind != u'!') {
                        return std::nullopt;
                    }
                    out.append(pattern.substr(at, 3));
                    at += 2;
                } else {
                    out.push_back(unit);
                }
                break;
            case u'^':
                // With Multiline, lines end at LF and also at CR.
                out.append(multiline ? u"(?:^|(?<=\\r))" : u"^");
                break;
            case u'$':
                out.append(multiline ? u"(?:$|(?=\\r))" : u"$");
                break;
            default:
                out.push_back(unit);
        }
    }
    return out;
}

std::u16string replaceMatches(std::u16string_view subject, const RegexMatches& matches,
                              std::u16string_view replacement) {
    std::u16string out;
    out.reserve(subject.size());
    std::size_t copied = 0;
    for (std::size_t match = 0; match < matches.count(); ++match) {
        const RegexMatches::Span& whole = matches.span(match, 0);
        out.append(subject.substr(copied, whole.begin - copied));
        appendReplacement(subject, matches, match, replacement, out);
        copied = whole.end;
    }
    out.append(subject.substr(copied));
    return out;
}

}  // namespace navoket
