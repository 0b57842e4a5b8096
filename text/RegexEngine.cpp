#include "text/RegexEngine.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <cstdint>

#include "text/Utf16Units.h"

namespace navoket {
namespace {

// Bounds of one search. PCRE2's match, depth and heap limits hold for one call,
// and a global search makes one call per match; the step budget, counted by
// automatic callouts at every pattern item, bounds the search as a whole and
// grows linearly with the subject.
constexpr std::uint32_t matchLimit = 1'000'000;
constexpr std::uint32_t depthLimit = 100'000;
constexpr std::uint32_t heapLimitKib = 64 * 1024;
constexpr std::uint64_t stepBudgetBase = 4'000'000;
constexpr std::uint64_t stepBudgetPerUnit = 16;

struct CompileContextFree {
    void operator()(pcre2_compile_context_16* context) const {
        pcre2_compile_context_free_16(context);
    }
};
struct MatchContextFree {
    void operator()(pcre2_match_context_16* context) const { pcre2_match_context_free_16(context); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data_16* data) const { pcre2_match_data_free_16(data); }
};
using CompileContext = std::unique_ptr<pcre2_compile_context_16, CompileContextFree>;
using MatchContext = std::unique_ptr<pcre2_match_context_16, MatchContextFree>;
using MatchData = std::unique_ptr<pcre2_match_data_16, MatchDataFree>;

struct StepBudget {
    std::uint64_t left;
};

int countStep(pcre2_callout_block_16* /*block*/, void* data) {
    auto* budget = static_cast<StepBudget*>(data);
    if (budget->left == 0) {
        return PCRE2_ERROR_MATCHLIMIT;
    }
    --budget->left;
    return 0;
}

PCRE2_SPTR16 unitPointer(std::u16string_view units) {
    static const char16_t empty = 0;
    return reinterpret_cast<PCRE2_SPTR16>(units.empty() ? &empty : units.data());
}

}  // namespace

void RegexEngine::CodeFree::operator()(pcre2_real_code_16* code) const {
    pcre2_code_free_16(code);
}

RegexEngine::RegexEngine(const Text& pattern, bool ignoreCase, bool multiline, bool global)
    : m_global(global) {
    const std::u16string units = ansiToUnits(pattern);
    m_pattern = unitsToAnsi(units);
    const auto translated = translatePattern(units, multiline);
    const CompileContext context(pcre2_compile_context_create_16(nullptr));
    if (!translated || !context) {
        return;
    }
    pcre2_set_newline_16(context.get(), PCRE2_NEWLINE_LF);
    // ALT_BSUX: \uHHHH and \xHH as in the dialect; ALLOW_EMPTY_CLASS: "[]"
    // never matches and "[^]" matches anything; MATCH_UNSET_BACKREF: a
    // reference to a group that took no part matches the empty text;
    // DOLLAR_ENDONLY and ALT_CIRCUMFLEX: "$" only at the very end without
    // Multiline, "^" also after a final LF with it. No UCP: the classes stay
    // ASCII as in the dialect.
    std::uint32_t options = PCRE2_UTF | PCRE2_NEVER_UCP | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                            PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY |
                            PCRE2_ALT_CIRCUMFLEX | PCRE2_AUTO_CALLOUT;
    if (ignoreCase) {
        options |= PCRE2_CASELESS;
    }
    if (multiline) {
        options |= PCRE2_MULTILINE;
    }
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    m_code.reset(pcre2_compile_16(unitPointer(*translated), translated->size(), options, &error,
                                  &errorOffset, context.get()));
    if (m_code) {
        std::uint32_t groups = 0;
        pcre2_pattern_info_16(m_code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
        m_groupCount = groups;
    }
}

RegexEngine::~RegexEngine() = default;

RegexMatches RegexEngine::execute(std::u16string_view subject) const {
    RegexMatches matches;
    matches.groupCount = m_groupCount;
    if (!m_code) {
        return matches;
    }
    const MatchData data(pcre2_match_data_create_from_pattern_16(m_code.get(), nullptr));
    const MatchContext context(pcre2_match_context_create_16(nullptr));
    if (!data || !context) {
        return matches;
    }
    pcre2_set_match_limit_16(context.get(), matchLimit);
    pcre2_set_depth_limit_16(context.get(), depthLimit);
    pcre2_set_heap_limit_16(context.get(), heapLimitKib);
    StepBudget budget{stepBudgetBase + stepBudgetPerUnit * subject.size()};
    pcre2_set_callout_16(context.get(), &countStep, &budget);

    // The first call checks that the subject is valid UTF-16; later calls on
    // the same subject skip that whole-subject check.
    std::uint32_t options = 0;
    for (std::size_t start = 0; start <= subject.size();) {
        const int result = pcre2_match_16(m_code.get(), unitPointer(subject), subject.size(), start,
                                          options, data.get(), context.get());
        if (result < 0) {
            break;  // no further match, or a bound was reached
        }
        options = PCRE2_NO_UTF_CHECK;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_16(data.get());
        for (std::size_t group = 0; group <= m_groupCount; ++group) {
            RegexMatches::Span span;
            if (ovector[2 * group] != PCRE2_UNSET) {
                span.begin = static_cast<std::uint32_t>(ovector[2 * group]);
                span.end = static_cast<std::uint32_t>(ovector[2 * group + 1]);
            }
            matches.spans.push_back(span);
        }
        if (!m_global) {
            break;
        }
        start = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
    }
    return matches;
}

}  // namespace navoket
