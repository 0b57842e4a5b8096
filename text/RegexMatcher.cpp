#include "text/RegexMatcher.h"

#include "text/RegexEngine.h"
#include "text/TextSearch.h"

namespace navoket {

RegexMatcher::RegexMatcher() = default;
RegexMatcher::RegexMatcher(const RegexMatcher& other) = default;
RegexMatcher& RegexMatcher::operator=(const RegexMatcher& other) = default;
RegexMatcher::~RegexMatcher() = default;

bool RegexMatcher::search(const Text& pattern, const Text& subject, bool caseSensitive,
                          bool multiline, bool global, bool quoteMarker) {
    m_engine.reset();
    m_matches.reset();
    m_engine = std::make_shared<const RegexEngine>(
        quoteMarker ? replaceDoubleQuoteTokens(pattern) : pattern, !caseSensitive, multiline,
        global);
    m_subject = ansiToUnitsWithOffsets(subject);
    if (!m_engine->isValid()) {
        return false;
    }
    m_matches = std::make_shared<const RegexMatches>(m_engine->execute(m_subject.units));
    return true;
}

Text RegexMatcher::currentPattern() const {
    return m_engine ? m_engine->pattern() : Text();
}

Text RegexMatcher::replaceAll(const Text& replacement) const {
    if (!m_matches) {
        return Text();
    }
    return unitsToAnsi(replaceMatches(m_subject.units, *m_matches, ansiToUnits(replacement)));
}

int RegexMatcher::matchCount() const {
    return m_matches ? static_cast<int>(m_matches->count()) : 0;
}

Text RegexMatcher::matchText(int matchIndex, int* position) const {
    const auto match = matchSlot(matchIndex);
    if (!match) {
        return Text();
    }
    deliverPosition(*match, position);
    return spanText(m_matches->span(*match, 0));
}

Text RegexMatcher::submatchText(int matchIndex, int submatchIndex, int* position) const {
    const auto match = matchSlot(matchIndex);
    if (!match || submatchIndex < 1 ||
        static_cast<std::size_t>(submatchIndex) > m_matches->groupCount) {
        return Text();
    }
    deliverPosition(*match, position);
    return spanText(m_matches->span(*match, static_cast<std::size_t>(submatchIndex)));
}

int RegexMatcher::submatchCount() const {
    return matchCount() > 0 ? static_cast<int>(m_matches->groupCount) : 0;
}

std::optional<std::size_t> RegexMatcher::matchSlot(int matchIndex) const {
    if (!m_matches || matchIndex < 1 || static_cast<std::size_t>(matchIndex) > m_matches->count()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(matchIndex) - 1;
}

Text RegexMatcher::spanText(const RegexMatches::Span& span) const {
    if (span.begin == RegexMatches::unset) {
        return Text();
    }
    return unitsToAnsi(
        std::u16string_view(m_subject.units).substr(span.begin, span.end - span.begin));
}

void RegexMatcher::deliverPosition(std::size_t match, int* position) const {
    if (position != nullptr) {
        *position = static_cast<int>(m_subject.byteOffsets[m_matches->span(match, 0).begin]);
    }
}

}  // namespace navoket
