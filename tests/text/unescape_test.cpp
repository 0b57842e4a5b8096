#include "text/UnescapeText.h"

#include <gtest/gtest.h>

#include <string>

#include "text/CodePageText.h"

namespace navoket {
namespace {

struct UnescapeCase {
    const char* name;
    Text input;
    Text expected;
};

TEST(UnescapeText, ResolvesLiteralEscapesThenUnescape) {
    const UnescapeCase cases[] = {
        {"\\u escapes", "\\u4e2d\\u6587", ansiText("中文")},
        {"JSON around the escapes", "{\"city\":\"\\u5317\\u4EAC\",\"ip\":\"1.2.3.4\"}",
         ansiText("{\"city\":\"北京\",\"ip\":\"1.2.3.4\"}")},
        {"CR LF kept", "a\r\nb", "a\r\nb"},
        {"CR LF at the start kept", "\r\nab", "\r\nab"},
        {"leading lone CR dropped", "\rab", "ab"},
        {"apostrophe kept", "it's", "it's"},
        {"right quotation mark becomes an apostrophe", "it\xA1\xAFs", "it's"},
        {"%HH", "a%20b", "a b"},
        {"%uHHHH", "%u4E2D%u6587", ansiText("中文")},
        {"% without digits stays", "100% %zz %u12 %", "100% %zz %u12 %"},
        {"\\/", "x\\/y", "x/y"},
        {"\\\\", "a\\\\b", "a\\b"},
        {"\\\"", "say \\\"hi\\\"", "say \"hi\""},
        {"\\'", "\\'", "'"},
        {"\\n \\r \\t \\b \\f", "1\\n2\\r3\\t4\\b5\\f", "1\n2\r3\t4\b5\f"},
        {"\\v is a plain v", "\\v", "v"},
        {"\\xHH", "\\x41\\x4a", "AJ"},
        {"malformed \\x is the letter", "\\x4 \\xg1", "x4 xg1"},
        {"octal escapes", "\\101\\61\\0627",
         "A1"
         "27"},
        {"identity escapes", "\\a\\q\\{\\%", "aq{%"},
        {"an escaped backslash before u", "\\\\u4e2d", ansiText("中")},
        {"\\u without digits stays %u", "\\uZZ", "%uZZ"},
        {"NUL from an escape ends the text", "a\\0b", "a"},
        {"code-page-936 text passes", ansiText("中文abc"), ansiText("中文abc")},
        {"trail byte 5C is no backslash", "\x95\x5Cn", "\x95\x5Cn"},
        {"unmapped character becomes ?", "\\uAC00", "?"},
        {"empty", "", ""},
        {"text ends at a zero byte", std::string("ab\0\\n", 5), "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(unescapeText(c.input), c.expected);
    }
}

// When the script would fail (or give nothing), the prepared text comes back:
// CR LF and apostrophes restored, "\u" turned into "%u", a leading CR gone.
TEST(UnescapeText, FailingScriptGivesThePreparedText) {
    const UnescapeCase cases[] = {
        {"lone LF", "\\u4e2d\nit's", "%u4e2d\nit's"}, {"lone CR inside", "a\rb\r\nc", "a\rb\r\nc"},
        {"leading CR then LF", "\rx\ny", "x\ny"},     {"trailing backslash", "it's\\", "it's\\"},
        {"backslash before LF", "a\\\nb", "a\\\nb"},  {"NUL at the start", "\\0abc", "\\0abc"},
        {"%00 at the start", "%00abc", "%00abc"},     {"only a CR", "\r", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(unescapeText(c.input), c.expected);
    }
}

TEST(UnescapeText, MegabyteOfEscapesIsLinear) {
    std::string escapes;
    std::string expected;
    while (escapes.size() < 1024 * 1024) {
        escapes += "\\u4e2d%41\\/";
        expected += ansiText("中") + "A/";
    }
    EXPECT_EQ(unescapeText(escapes), expected);

    // The same size through the fallback: a LF at the end makes the script fail.
    const std::string failing = std::string(1024 * 1024, '\\') + "'\n";
    EXPECT_EQ(unescapeText(failing), failing);
}

}  // namespace
}  // namespace navoket
