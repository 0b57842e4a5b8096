#include "text/TextSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace navoket {
namespace {

struct SearchCase {
    const char* name;
    std::string text;
    std::string needle;
    int start;
    bool ignoreCase;
    int forward;
    int backward;
};

TEST(TextSearch, SearchesWithTheTwoByteStep) {
    const SearchCase cases[] = {
        {"first and last", "abcabc", "bc", 0, false, 2, 5},
        {"start skips earlier bytes", "abcabc", "bc", 3, false, 5, -1},
        {"backward limit excludes the match tail", "abcabc", "bc", 6, false, -1, 2},
        {"backward limit holds the whole match", "abcabc", "bc", 7, false, -1, 5},
        {"start beyond the end", "abc", "c", 4, false, -1, 3},
        {"start of 1 searches backward nothing", "abc", "a", 1, false, 1, -1},
        {"negative start", "abc", "a", -5, false, 1, -1},
        {"missing", "abc", "x", 0, false, -1, -1},
        {"needle longer than text", "ab", "abc", 0, false, -1, -1},
        {"empty needle", "abc", "", 0, false, 1, 1},
        {"empty needle, start inside", "abc", "", 3, false, 1, 1},
        {"empty needle, nothing searched", "abc", "", 4, false, -1, 1},
        {"empty needle, empty text", "", "", 0, false, -1, -1},
        {"case differs", "xAbC", "abc", 0, false, -1, -1},
        {"ignore case for ASCII letters", "xAbC", "aBc", 0, true, 2, 2},
        {"ignore case leaves high bytes alone", "\xC1\xA1", "\xE1\xA1", 0, true, -1, -1},
        {"no match on a trail byte", "\xB6\xA1\x41", "\xA1\x41", 0, false, -1, -1},
        {"double-byte match", "a\xB6\xA1\x41", "\xB6\xA1", 0, false, 2, 2},
        {"UTF-8 bytes step in twos", "\xE4\xB8\xAD<br>", "<br>", 0, false, -1, -1},
        {"UTF-8 bytes, later position", "\xE4\xB8\xAD<br>", "br>", 0, false, 5, 5},
        {"start on a trail byte matches there", "\xB6\xA1\x41", "\xA1\x41", 2, false, 2, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(searchForward(c.text, c.needle, c.start, c.ignoreCase), c.forward);
        EXPECT_EQ(searchBackward(c.text, c.needle, c.start, c.ignoreCase), c.backward);
    }
}

// The scan rule spelled out position by position, to check the fast search
// against on texts full of lead bytes, trail bytes and near-matches.
int referenceSearch(const std::string& text, const std::string& needle, std::size_t from,
                    std::size_t end, bool wantLast) {
    int found = -1;
    for (std::size_t at = from; at < end;
         at += static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1) {
        if (needle.size() <= end - at && text.compare(at, needle.size(), needle) == 0) {
            found = static_cast<int>(at) + 1;
            if (!wantLast) {
                break;
            }
        }
    }
    return found;
}

TEST(TextSearch, FastSearchFollowsTheScanRule) {
    std::mt19937 random(936);
    // Mostly ASCII, so that runs long enough for the word-at-a-time walk occur.
    const char alphabet[] = {'a', 'a', 'a', 'a', 'a', 'b', '\xB6', '\xA1'};
    auto draw = [&](std::size_t length) {
        std::string s;
        for (std::size_t i = 0; i < length; ++i) {
            s.push_back(alphabet[random() % 8]);
        }
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = draw(random() % 60);
        const std::string needle = draw(1 + random() % 3);
        const int start = static_cast<int>(random() % 65);
        SCOPED_TRACE(testing::Message() << "round " << round << " start " << start);
        const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
        const std::size_t limit =
            start == 0 ? text.size() : std::min(text.size(), static_cast<std::size_t>(start - 1));
        ASSERT_EQ(searchForward(text, needle, start),
                  referenceSearch(text, needle, from, text.size(), false));
        ASSERT_EQ(searchBackward(text, needle, start),
                  referenceSearch(text, needle, 0, limit, true));
        ASSERT_EQ(searchForward(text, needle, start, true),
                  referenceSearch(text, needle, from, text.size(), false));
    }
}

TEST(TextSearch, CutsCountBytes) {
    EXPECT_EQ(leftBytes("abc", 2), "ab");
    EXPECT_EQ(leftBytes("abc", 9), "abc");
    EXPECT_EQ(leftBytes("abc", 0), "");
    EXPECT_EQ(leftBytes("abc", -1), "");
    EXPECT_EQ(rightBytes("abc", 2), "bc");
    EXPECT_EQ(rightBytes("abc", 9), "abc");
    EXPECT_EQ(rightBytes("abc", -3), "");
    EXPECT_EQ(middleBytes("abcd", 2, 2), "bc");
    EXPECT_EQ(middleBytes("abcd", 3, 9), "cd");
    EXPECT_EQ(middleBytes("abcd", 5, 1), "");
    EXPECT_EQ(middleBytes("abcd", 0, 2), "");
    EXPECT_EQ(middleBytes("abcd", 2, 0), "");
    EXPECT_EQ(middleBytes("\xB6\xA1\x41", 2, 1), "\xA1");
}

struct CutCase {
    const char* name;
    std::string text;
    std::string left;
    std::string right;
    int start;
    std::string expected;
};

TEST(TextSearch, TextBetween) {
    const std::string quote = doubleQuoteToken;
    const CutCase cases[] = {
        {"plain", "a<b>c</b>d", "<b>", "</b>", 0, "c"},
        {"left missing", "a<b>c</b>d", "<i>", "</b>", 0, ""},
        {"right missing", "a<b>c</b>d", "<b>", "</i>", 0, ""},
        {"right directly after left", "a<b></b>d", "<b>", "</b>", 0, ""},
        {"empty right marker", "a<b>c</b>d", "<b>", "", 0, ""},
        {"empty left marker", "a<b>c</b>d", "", "<b>", 0, "a"},
        {"first left marker", "[1][2]", "[", "]", 0, "1"},
        {"start position", "[1][2]", "[", "]", 2, "2"},
        {"right marker searched after left", "]x[y]", "[", "]", 0, "y"},
        {"quote token", "<a id=\"v\">", "a id=" + quote, quote + ">", 0, "v"},
        {"quote token twice", "x=\"\"1\"", "=" + quote + quote, quote, 0, "1"},
        {"token text itself not searched", "a=" + quote + "v\"", "a=" + quote, "\"", 0, ""},
        {"double-byte content", "<p>\xD6\xD0\xCE\xC4</p>", "<p>", "</p>", 0, "\xD6\xD0\xCE\xC4"},
        {"markers at the end", "abc<b>", "c", "<b>", 0, ""},
        {"left marker ends the text", "abc<b>", "<b>", "x", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(textBetween(c.text, c.left, c.right, c.start), c.expected);
    }
    EXPECT_EQ(textBetween("<B>x</B>", "<b>", "</b>", 0, true), "x");
    EXPECT_EQ(textBetween("<B>x</B>", "<b>", "</b>"), "");
}

struct MarkerCase {
    const char* name;
    std::string text;
    std::string marker;
    int start;
    std::string before;
    std::string after;
};

TEST(TextSearch, TextBeforeAndAfter) {
    const MarkerCase cases[] = {
        {"first and last occurrence", "k=v=w", "=", 0, "k", "w"},
        {"missing", "k=v=w", ":", 0, "", ""},
        {"marker at the start", "=v", "=", 0, "", "v"},
        {"marker at the end", "k=", "=", 0, "k", ""},
        {"start -1", "k=v=w", "=", -1, "k=v", "v=w"},
        {"start -2 leaves two bytes out", "k=v=w=", "=", -2, "k=v", "v=w="},
        {"start -3", "a=b=c=d", "=", -3, "a=b", "c=d"},
        {"start -n beyond the text", "a=b", "=", -9, "", ""},
        {"positive start", "a=b=c", "=", 3, "a=b", "b=c"},
        {"positive start leaves bytes out at the end", "a=b=c=", "=", 2, "a", "c="},
        {"start beyond the text", "a=b", "=", 9, "", ""},
        {"two-byte marker", "x\xD6\xD0y\xD6\xD0z", "\xD6\xD0", 0, "x", "z"},
        {"trail byte not matched", "\xB6\xA1\x41", "\xA1\x41", 0, "", ""},
        {"empty text", "", "=", 0, "", ""},
        {"longer marker", "a<br>b<br>c", "<br>", 0, "a", "c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(textBefore(c.text, c.marker, c.start), c.before);
        EXPECT_EQ(textAfter(c.text, c.marker, c.start), c.after);
    }
    EXPECT_EQ(textBefore("aXb", "x", 0, true), "a");
    EXPECT_EQ(textAfter("aXb", "x", 0, true), "b");
    EXPECT_EQ(textBefore("aXb", "x"), "");
}

TEST(TextSearch, BytesBetween) {
    using namespace std::string_literals;
    const struct {
        const char* name;
        Bytes bytes;
        Bytes left;
        Bytes right;
        Bytes expected;
    } cases[] = {
        {"plain", "a<b>c</b>d", "<b>", "</b>", "c"},
        {"zero bytes inside", "\0L\0x\0R"s, "L"s, "R"s, "\0x\0"s},
        {"no two-byte step", "\xB6\xA1\x41", "\xA1", "", ""},
        {"trail byte marker found", "\xB6\xA1\x41\x42", "\xA1", "\x42", "\x41"},
        {"empty left", "abc", "", "c", ""},
        {"empty right", "abc", "a", "", ""},
        {"left missing", "abc", "x", "c", ""},
        {"right missing", "abc", "a", "x", ""},
        {"right directly after left", "abc", "a", "b", ""},
        {"right searched after left", "]a[b]", "[", "]", "b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bytesBetween(c.bytes, c.left, c.right), c.expected);
    }
    EXPECT_EQ(searchBytes("abc", ""), -1);
    EXPECT_EQ(searchBytes("\xB6\xA1\x41", "\xA1\x41"), 2);
}

}  // namespace
}  // namespace navoket
