#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include "platform/Bytes.h"
#include "text/RegexDialect.h"
#include "text/Utf16Units.h"

namespace navoket {

class RegexEngine;

// One search with a pattern of the VBScript regular-expression dialect over a
// subject text, then queries on its matches. Indexes given to the queries are
// 1-based. A copy shares the engine and the matches of the search (neither
// changes after the search) and holds its own copy of the subject.
class RegexMatcher {
public:
    RegexMatcher();
    RegexMatcher(const RegexMatcher& other);
    RegexMatcher& operator=(const RegexMatcher& other);
    ~RegexMatcher();

    // Replaces the engine, subject and matches of any earlier search. With
    // quoteMarker, every "#引号" in the pattern stands for a double quote.
    // True when the pattern could be run, even when it matched nothing; false
    // for a pattern that is not valid in the dialect.
    bool search(const Text& pattern, const Text& subject, bool caseSensitive = false,
                bool multiline = true, bool global = true, bool quoteMarker = false);
    // The pattern of the last search, empty before the first.
    Text currentPattern() const;
    // The stored subject with the matches replaced ($1, $&, $`, $', $$); an
    // empty text before a search or after one with an invalid pattern.
    Text replaceAll(const Text& replacement = Text()) const;
    int matchCount() const;
    // The text of a match, or an empty text for an index beyond the matches.
    // When the match exists and position is given, it receives the match's
    // 0-based byte offset in the code-page-936 subject.
    Text matchText(int matchIndex, int* position = nullptr) const;
    // Capture group submatchIndex of match matchIndex (empty when the group
    // took no part); position as for matchText, the offset of the whole match.
    Text submatchText(int matchIndex, int submatchIndex, int* position = nullptr) const;
    // The number of capture groups of the first match; 0 without a match.
    int submatchCount() const;

private:
    // The 0-based match for a 1-based index, when there is such a match.
    std::optional<std::size_t> matchSlot(int matchIndex) const;
    Text spanText(const RegexMatches::Span& span) const;
    void deliverPosition(std::size_t match, int* position) const;

    std::shared_ptr<const RegexEngine> m_engine;
    std::shared_ptr<const RegexMatches> m_matches;
    UnitsWithOffsets m_subject;
};

}  // namespace navoket
