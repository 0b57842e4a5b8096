#include "text/RegexMatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/CodePageText.h"

namespace navoket {
namespace {

const char* const metaCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

std::vector<Text> allMatches(const RegexMatcher& matcher) {
    std::vector<Text> values;
    for (int i = 1; i <= matcher.matchCount(); ++i) {
        values.push_back(matcher.matchText(i));
    }
    return values;
}

std::vector<int> allPositions(const RegexMatcher& matcher) {
    std::vector<int> positions;
    for (int i = 1; i <= matcher.matchCount(); ++i) {
        int position = -1;
        matcher.matchText(i, &position);
        positions.push_back(position);
    }
    return positions;
}

TEST(RegexMatcher, FindsTheMetaCharsetWrittenInCapitals) {
    RegexMatcher matcher;
    const Text page = ansiText(
        "<title>船期</title><META http-equiv=\"Content-Type\" "
        "content=\"text/html; CHARSET=GB2312\">");
    ASSERT_TRUE(matcher.search(metaCharsetPattern, page));
    EXPECT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.submatchCount(), 1);
    int position = -1;
    EXPECT_EQ(matcher.submatchText(1, 1, &position), "GB2312");
    EXPECT_EQ(position, 19);  // after 15 ASCII bytes, 2 Chinese characters of 2 bytes
    EXPECT_EQ(page.substr(19, 5), "<META");
    EXPECT_EQ(matcher.currentPattern(), metaCharsetPattern);
}

TEST(RegexMatcher, NoMatchIsStillASearch) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.search(metaCharsetPattern, "<html><body>plain</body></html>"));
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.submatchCount(), 0);
    EXPECT_EQ(matcher.submatchText(1, 1), "");
    EXPECT_EQ(matcher.matchText(1), "");
}

TEST(RegexMatcher, QuoteMarkerStandsForADoubleQuote) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.search(ansiText("value=#引号(\\d+)#引号"), "<input value=\"42\">", false,
                               true, true, true));
    EXPECT_EQ(matcher.currentPattern(), "value=\"(\\d+)\"");
    EXPECT_EQ(matcher.matchText(1), "value=\"42\"");
    EXPECT_EQ(matcher.submatchText(1, 1), "42");

    // Without the flag the marker is plain text.
    ASSERT_TRUE(matcher.search(ansiText("value=#引号(\\d+)#引号"), "<input value=\"42\">"));
    EXPECT_EQ(matcher.matchCount(), 0);
}

TEST(RegexMatcher, SubmatchesOfEachMatch) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.search("(\\w+)@(\\w+)(!)?", "ann@home bob@work!"));
    EXPECT_EQ(matcher.submatchCount(), 3);
    EXPECT_EQ(matcher.matchCount(), 2);
    EXPECT_EQ(matcher.submatchText(1, 2), "home");
    EXPECT_EQ(matcher.submatchText(1, 3), "");  // took no part
    EXPECT_EQ(matcher.submatchText(2, 1), "bob");
    EXPECT_EQ(matcher.submatchText(2, 3), "!");
    int position = 7;
    EXPECT_EQ(matcher.submatchText(2, 4, &position), "");
    EXPECT_EQ(matcher.submatchText(3, 1, &position), "");
    EXPECT_EQ(matcher.submatchText(0, 1, &position), "");
    EXPECT_EQ(matcher.matchText(-1, &position), "");
    EXPECT_EQ(position, 7);  // untouched when there is no such item
}

struct FlagCase {
    const char* name;
    Text pattern;
    Text subject;
    bool caseSensitive;
    bool multiline;
    bool global;
    std::vector<Text> matches;
    std::vector<int> positions;
};

TEST(RegexMatcher, DialectAndFlags) {
    const Text chinese = ansiText("中文");
    const FlagCase cases[] = {
        {"ignore case by default", "abc", "xABC", false, true, true, {"ABC"}, {1}},
        {"case sensitive", "abc", "xABC", true, true, true, {}, {}},
        {"ignore case folds full-width letters",
         ansiText("ａｂ"),
         ansiText("ＡＢ"),
         false,
         true,
         true,
         {ansiText("ＡＢ")},
         {0}},
        {"global", "\\d", "a1b2c3", false, true, true, {"1", "2", "3"}, {1, 3, 5}},
        {"first match only", "\\d", "a1b2c3", false, true, false, {"1"}, {1}},
        {"multiline ^ after LF and CR",
         "^\\w+",
         "one\ntwo\r\nthree\rfour",
         false,
         true,
         true,
         {"one", "two", "three", "four"},
         {0, 4, 9, 15}},
        {"single-line ^", "^\\w+", "one\ntwo", false, false, true, {"one"}, {0}},
        {"multiline $ before CR and LF",
         "\\w+$",
         "one\r\ntwo\nthree",
         false,
         true,
         true,
         {"one", "two", "three"},
         {0, 5, 9}},
        {"single-line $ only at the very end", "b$", "ab\n", false, false, true, {}, {}},
        {"dot takes CR but not LF", "a.b", "a\rb a\nb", false, true, true, {"a\rb"}, {0}},
        {"\\w is ASCII only", "\\w+", chinese + "abc_1", false, true, true, {"abc_1"}, {4}},
        {"\\d is ASCII only", "\\d", ansiText("１２3"), false, true, true, {"3"}, {4}},
        {"\\s is ASCII only", "\\s", ansiText("a\tb　c"), false, true, true, {"\t"}, {1}},
        {"\\b at ASCII words",
         "\\bab\\b",
         chinese + "ab ab",
         false,
         true,
         true,
         {"ab", "ab"},
         {4, 7}},
        {"\\uHHHH and \\xHH",
         "\\u4e2d\\x41",
         "x" + ansiText("中A"),
         false,
         true,
         true,
         {ansiText("中A")},
         {1}},
        {"\\v is the vertical tab", "\\v", "a\x0b\n", false, true, true, {"\x0b"}, {1}},
        {"letters without meaning stand for themselves",
         "\\A\\h\\z\\Q",
         "xAhzQ",
         true,
         true,
         true,
         {"AhzQ"},
         {1}},
        {"[^] takes anything", "a[^]", "a\n", false, true, true, {"a\n"}, {0}},
        {"[] takes nothing", "a[]", "a]", false, true, true, {}, {}},
        {"[ is plain inside a class", "[[:a]+", "x:[a", false, true, true, {":[a"}, {1}},
        {"unset back reference is empty", "(a)?b\\1", "b", false, true, true, {"b"}, {0}},
        {"empty matches step on by one",
         "a*",
         "baaa",
         false,
         true,
         true,
         {"", "aaa", ""},
         {0, 1, 4}},
        {"lazy quantifier", "a+?", "aaa", false, true, true, {"a", "a", "a"}, {0, 1, 2}},
        {"lookahead", "\\w+(?=!)", "hi there!", false, true, true, {"there"}, {3}},
        {"positions after Chinese",
         "abc",
         chinese + " abc " + ansiText("中") + " abc",
         false,
         true,
         true,
         {"abc", "abc"},
         {5, 12}},
        {"positions after an undefined pair",
         "abc",
         "\x81\x7F"
         "abc",
         false,
         true,
         true,
         {"abc"},
         {2}},
        {"subject ends at a zero byte", "c", std::string("ab\0c", 4), false, true, true, {}, {}},
        {"empty pattern", "", "ab", false, true, true, {"", "", ""}, {0, 1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.search(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global));
        EXPECT_EQ(allMatches(matcher), c.matches);
        EXPECT_EQ(allPositions(matcher), c.positions);
    }
}

TEST(RegexMatcher, InvalidPatternMakesSearchFalse) {
    const char* const patterns[] = {
        "(",       "a)",    "[a",      "a**",   "a++",     "a*+",    "a{2}+", "a+??",   "*a",
        "(?<n>a)", "(?i)a", "(?<=a)b", "(?>a)", "(*FAIL)", "(?#c)a", "a\\",   "a{3,2}",
    };
    for (const char* pattern : patterns) {
        SCOPED_TRACE(pattern);
        RegexMatcher matcher;
        EXPECT_FALSE(matcher.search(pattern, "aaa"));
        EXPECT_EQ(matcher.matchCount(), 0);
        EXPECT_EQ(matcher.submatchCount(), 0);
        EXPECT_EQ(matcher.currentPattern(), pattern);
        EXPECT_EQ(matcher.replaceAll("x"), "");
    }
}

TEST(RegexMatcher, ReplaceAll) {
    const struct {
        const char* name;
        Text pattern;
        Text subject;
        bool global;
        Text replacement;
        Text expected;
    } cases[] = {
        {"groups", "(\\w+)\\s(\\w+)", "John Smith", true, "$2, $1", "Smith, John"},
        {"whole match, dollar", "\\d+", "a1b22", true, "[$&$$]", "a[1$]b[22$]"},
        {"before and after", "b", "abc", true, "<$`|$'>", "a<a|c>c"},
        {"missing group stays", "(a)", "a", true, "$2$0$", "$2$0$"},
        {"two digits only when that group exists", "(a)", "a", true, "$12$01", "a2a"},
        {"unset group gives nothing", "(x)?a", "a", true, "[$1]", "[]"},
        {"empty replacement deletes", "\\s+", "a b  c", true, "", "abc"},
        {"first match only without Global", "o", "foo", false, "0", "f0o"},
        {"Chinese", ansiText("文"), ansiText("中文字文"), true, ansiText("国"),
         ansiText("中国字国")},
        {"empty matches", "x*", "ab", true, "-", "-a-b-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.search(c.pattern, c.subject, false, true, c.global));
        EXPECT_EQ(matcher.replaceAll(c.replacement), c.expected);
        EXPECT_EQ(matcher.replaceAll(c.replacement), c.expected);  // subject unchanged
    }
}

TEST(RegexMatcher, EmptyBeforeTheFirstSearch) {
    const RegexMatcher matcher;
    EXPECT_EQ(matcher.currentPattern(), "");
    EXPECT_EQ(matcher.replaceAll("x"), "");
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.submatchCount(), 0);
    EXPECT_EQ(matcher.matchText(1), "");
}

TEST(RegexMatcher, CopyKeepsTheSearchItWasMadeFrom) {
    RegexMatcher original;
    ASSERT_TRUE(original.search("(b+)", "abbc"));
    RegexMatcher copy(original);
    ASSERT_TRUE(original.search("z", "zz"));
    EXPECT_EQ(copy.matchText(1), "bb");
    EXPECT_EQ(copy.submatchText(1, 1), "bb");
    EXPECT_EQ(copy.replaceAll("-"), "a-c");
    EXPECT_EQ(copy.currentPattern(), "(b+)");
    copy = original;
    EXPECT_EQ(copy.matchCount(), 2);
}

TEST(RegexMatcher, CatastrophicBacktrackingIsBounded) {
    RegexMatcher matcher;
    // Nested quantifiers over a run that cannot end the match.
    ASSERT_TRUE(matcher.search("(a+)+$", std::string(64, 'a') + "!"));
    EXPECT_EQ(matcher.matchCount(), 0);

    // A match found before the bound is kept; nothing after it.
    ASSERT_TRUE(matcher.search("x|(a+)+$", "x" + std::string(64, 'a') + "!x"));
    EXPECT_EQ(allMatches(matcher), std::vector<Text>{"x"});

    // Many costly matches in one global search: the whole search is bounded.
    std::string subject;
    for (int i = 0; i < 4000; ++i) {
        subject += std::string(18, 'a') + "c";
    }
    ASSERT_TRUE(matcher.search("(a|aa)+b|c", subject));
    EXPECT_LT(matcher.matchCount(), 4000);
}

TEST(RegexMatcher, MegabyteSubjectIsSearchedWhole) {
    std::string subject;
    while (subject.size() < 1024 * 1024) {
        subject += ansiText("词 word ");
    }
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.search("\\w+", subject));
    EXPECT_EQ(matcher.matchCount(), static_cast<int>(subject.size() / 8));
    int position = -1;
    EXPECT_EQ(matcher.matchText(matcher.matchCount(), &position), "word");
    EXPECT_EQ(position, static_cast<int>(subject.size()) - 5);
}

}  // namespace
}  // namespace navoket
