#include "text/CodePageText.h"

#include <gtest/gtest.h>

#include <string>

namespace navoket {
namespace {

using namespace std::string_literals;

TEST(CodePageText, CodePageToUtf16KeepsOneTerminator) {
    const struct {
        const char* name;
        Bytes bytes;
        unsigned codePage;
        Bytes utf16;
    } cases[] = {
        {"empty", "", codePageUtf8, ""},
        {"starts with zero", "\0A"s, codePageUtf8, ""},
        {"stops at the first zero", "A\0B"s, codePageUtf8, "A\0\0\0"s},
        {"UTF-8", "\xE4\xB8\xAD", codePageUtf8, "\x2D\x4E\0\0"s},
        {"invalid UTF-8 before the terminator", "A\xE4\xB8", codePageUtf8, "A\0\xFD\xFF\0\0"s},
        {"supplementary", "\xF0\x9F\x98\x80", codePageUtf8, "\x3D\xD8\x00\xDE\0\0"s},
        {"cp936", "\xD6\xD0", codePageGbk, "\x2D\x4E\0\0"s},
        {"cp936 lead byte before the terminator", "A\xD6", codePageGbk, "A\0?\0\0\0"s},
        {"cp936 lead byte before CR", "\xD6\r\n", codePageGbk, "?\0\n\0\0\0"s},
        {"unknown code page", "A", 12345, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(codePageToUtf16(c.bytes, c.codePage), c.utf16);
    }
}

TEST(CodePageText, Utf16ToCodePageDropsTheTerminator) {
    const struct {
        const char* name;
        Bytes utf16;
        unsigned codePage;
        Bytes bytes;
    } cases[] = {
        {"empty", "", codePageGbk, ""},
        {"starts with a zero unit", "\0\0A\0"s, codePageGbk, ""},
        {"stops at the first zero unit", "A\0\0\0B\0"s, codePageGbk, "A"},
        {"with its terminator", "\x2D\x4E\0\0"s, codePageGbk, "\xD6\xD0"},
        {"odd last byte pairs with zero", "A\0B"s, codePageGbk, "AB"},
        {"surrogate pair", "A\0\x3D\xD8\x00\xDE"s, codePageGbk, "A??"},
        {"euro", "\xAC\x20"s, codePageGbk, "\x80"},
        {"UTF-8", "\x2D\x4E"s, codePageUtf8, "\xE4\xB8\xAD"},
        {"UTF-8 lone surrogate", "A\0\x3D\xD8"s, codePageUtf8, "A\xEF\xBF\xBD"},
        {"unknown code page", "A\0"s, 12345, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf16ToCodePage(c.utf16, c.codePage), c.bytes);
    }
}

TEST(CodePageText, NamedConversions) {
    EXPECT_EQ(textToUtf16("A"), "A\0\0\0"s);
    EXPECT_EQ(textToUtf16("\xD6\xD0", codePageGbk), "\x2D\x4E\0\0"s);
    EXPECT_EQ(utf16ToText("\x2D\x4E\0\0"s), "\xD6\xD0");
    EXPECT_EQ(utf16ToText("\x2D\x4E"s, codePageUtf8), "\xE4\xB8\xAD");
    EXPECT_EQ(utf16ToAnsi("\x2D\x4E\0\0"s), "\xD6\xD0");
    EXPECT_EQ(ansiToUtf16("AB"), "A\0B\0\0\0"s);
    EXPECT_EQ(ansiToUtf16(""), "");
    EXPECT_EQ(ansiText("船期变动检测"), "\xB4\xAC\xC6\xDA\xB1\xE4\xB6\xAF\xBC\xEC\xB2\xE2");
    EXPECT_EQ(ansiText("#引号"), "#\xD2\xFD\xBA\xC5");
    EXPECT_EQ(ansiToUtf8("\xB4\xAC\xC6\xDA"), "船期");
    EXPECT_EQ(ansiToUtf8("a\xD6"), "a?");
}

TEST(CodePageText, Utf8ToAnsiEqualsTheTwoSteps) {
    const struct {
        const char* name;
        Text utf8;
        Text ansi;
    } cases[] = {
        {"empty", "", ""},
        {"Chinese", "\xE4\xB8\xAD", "\xD6\xD0"},
        {"HTML", "<td>\xE4\xB8\xAD\xE8\xBF\x9C</td>", "<td>\xD6\xD0\xD4\xB6</td>"},
        {"stops at zero", "a\0\xE4\xB8\xAD"s, "a"},
        {"no Chinese form", "\xEA\xB0\x80", "?"},
        {"best fit", "\xC3\x80", "\xA8\xA4"},
        {"supplementary", "\xF0\x9F\x98\x80", "??"},
        {"invalid bytes", "\x80\xC0\xAF\xE4\xB8", "????"},
        {"truncated before zero", "\xE4\xB8\0"s, "?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToAnsi(c.utf8), c.ansi);
        EXPECT_EQ(utf8BytesToAnsi(c.utf8), c.ansi);
        EXPECT_EQ(utf16ToAnsi(textToUtf16(c.utf8, codePageUtf8)), c.ansi);
    }
}

}  // namespace
}  // namespace navoket
