#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navoket {

// The matches of one execution of a pattern over a subject of UTF-16 units.
// Span g of match m is at spans[m * (groupCount + 1) + g]; g 0 is the whole
// match, a group that took no part has begin == unset.
struct RegexMatches {
    static constexpr std::uint32_t unset = 0xFFFFFFFFu;
    struct Span {
        std::uint32_t begin = unset;
        std::uint32_t end = unset;
    };

    std::size_t groupCount = 0;
    std::vector<Span> spans;

    std::size_t count() const { return spans.size() / (groupCount + 1); }
    const Span& span(std::size_t match, std::size_t group) const {
        return spans[match * (groupCount + 1) + group];
    }
};

// Rewrites a pattern of the VBScript regular-expression dialect (ECMAScript
// syntax of its day) into PCRE2 syntax for the compile options RegexEngine
// uses. Gives nothing for constructs the dialect rejects although PCRE2 would
// take them: groups other than (...), (?:...), (?=...), (?!...); verbs;
// possessive or doubled quantifiers.
std::optional<std::u16string> translatePattern(std::u16string_view pattern, bool multiline);

// The subject with the matches replaced as VBScript's Replace does: $1..$99
// (two digits when that group exists), $& the match, $` the text before it,
// $' the text after it, $$ a dollar; any other "$" stays as it is, and a group
// that took no part gives nothing.
std::u16string replaceMatches(std::u16string_view subject, const RegexMatches& matches,
                              std::u16string_view replacement);

}  // namespace navoket
