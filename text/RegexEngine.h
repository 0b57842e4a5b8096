#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Bytes.h"
#include "text/RegexDialect.h"

struct pcre2_real_code_16;

namespace navoket {

// One compiled pattern of the VBScript dialect with its flags, on PCRE2 in
// 16-bit mode: UTF-16 subjects, \d \w \s and \b ASCII-only, Unicode case
// folding for IgnoreCase, "." any unit but LF.
class RegexEngine {
public:
    RegexEngine(const Text& pattern, bool ignoreCase, bool multiline, bool global);
    ~RegexEngine();
    RegexEngine(const RegexEngine&) = delete;
    RegexEngine& operator=(const RegexEngine&) = delete;

    // The pattern as the engine holds it (code-page-936 text).
    const Text& pattern() const { return m_pattern; }
    // False when the pattern is not valid in the dialect.
    bool isValid() const { return m_code != nullptr; }

    // The first match, or with Global every match from left to right; after an
    // empty match the next search starts one unit further on. Every search is
    // bounded (PCRE2's match, depth and heap limits, and a budget of matching
    // steps that grows linearly with the subject): when a bound is reached no
    // further match is reported.
    RegexMatches execute(std::u16string_view subject) const;

private:
    struct CodeFree {
        void operator()(pcre2_real_code_16* code) const;
    };

    Text m_pattern;
    bool m_global;
    std::unique_ptr<pcre2_real_code_16, CodeFree> m_code;
    std::size_t m_groupCount = 0;
};

}  // namespace navoket
