#include "web/Headers.h"

#include <gtest/gtest.h>

#include "web/Trim.h"

namespace navoket {
namespace {

struct Row {
    const char* input;
    const char* expected;
};

TEST(Headers, NormalizeHeaders) {
    const Row rows[] = {
        {"x-requested-with: XMLHttpRequest\r\n\r\nbad line\r\nhost:a",
         "X-Requested-With: XMLHttpRequest\r\nHost:a"},
        {"content-TYPE: text/plain", "Content-TYPE: text/plain"},
        {"accept: */*\r\n", "Accept: */*"},
        {"x-: v", "X-: v"},
        {"a--b: 1", "A--B: 1"},
        {"-x: 1", "-X: 1"},
        {"user-agent: X\r\naccept: y", "User-Agent: X\r\nAccept: y"},
        {"a: 1\r\n\r\n", "A: 1"},
        {"", ""},
        {"no colon\r\nat all", ""},
        {": empty name", ": empty name"},
        {"1st: x", "1st: x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(normalizeHeaders(row.input), row.expected);
    }
}

TEST(Headers, CapitalizeFirst) {
    const Row rows[] = {
        {"", ""}, {"abc", "Abc"}, {"ABC", "ABC"}, {"\xD6\xD0x", "\xD6\xD0x"}, {"1a", "1a"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(capitalizeFirst(row.input), row.expected);
    }
}

TEST(Headers, NameAndValue) {
    struct NameValue {
        const char* line;
        const char* name;
        const char* value;
    };
    const NameValue rows[] = {
        {"Content-Type: text/html", "Content-Type", "text/html"},
        {"  Host :  a:b  ", "Host", "a:b"},
        {"no colon", "", ""},
        {"X:", "X", ""},
        {"\xA1\xA1N\xA1\xA1:\xA1\xA1v\t\xA1\xA1", "N", "v\t"},
        // On a whole block only the first ":" counts.
        {"user-agent: X\r\naccept: y", "user-agent", "X\r\naccept: y"},
    };
    for (const NameValue& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(headerName(row.line), row.name);
        EXPECT_EQ(headerValue(row.line), row.value);
    }
}

TEST(Headers, TrimKeepsTabsAndLineEnds) {
    const Row rows[] = {
        {"  a b  ", "a b"},
        {"\xA1\xA1 a \xA1\xA1", "a"},
        {"\ta\r\n", "\ta\r\n"},
        {"   ", ""},
        {"", ""},
        // B0 A1 is one character; the A1 A1 after it is a full-width space.
        {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},
        // A trail byte A1 followed by A1: no full-width space inside.
        {"x\xB0\xA1", "x\xB0\xA1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(trimText(row.input), row.expected);
    }
}

}  // namespace
}  // namespace navoket
