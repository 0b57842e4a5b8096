#include "text/DecodeUnicodeBytes.h"

#include <gtest/gtest.h>

#include <string>

#include "text/CodePageText.h"

namespace navoket {
namespace {

TEST(DecodeUnicodeBytes, ReadsUtf16LittleEndian) {
    const struct {
        const char* name;
        Bytes input;
        Text expected;
    } cases[] = {
        {"Chinese", std::string("\x2D\x4E\x87\x65", 4), ansiText("中文")},
        {"ASCII", std::string("A\0B\0", 4), "AB"},
        {"byte-order mark skipped",
         std::string("\xFF\xFE"
                     "A\0",
                     4),
         "A"},
        {"odd last byte ignored", std::string("A\0B", 3), "A"},
        {"zero unit ends the text", std::string("A\0\0\0B\0", 6), "A"},
        {"euro sign", std::string("\xAC\x20", 2), "\x80"},
        {"unmapped character", std::string("\x00\xAC", 2), "?"},
        {"lone surrogate",
         std::string("\x3D\xD8"
                     "A\0",
                     4),
         "?A"},
        {"code-page-936 bytes are not UTF-16", ansiText("中"), "?"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeUnicodeBytes(c.input), c.expected);
    }
}

}  // namespace
}  // namespace navoket
