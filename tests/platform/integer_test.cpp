#include <gtest/gtest.h>

#include <climits>

#include "platform/TextToInteger.h"

namespace navoket {
namespace {

TEST(TextToInteger, ReadsLeadingNumber) {
    const struct {
        Text text;
        int expected;
    } cases[] = {
        {"600000", 600000},
        {"  42abc", 42},
        {"\t\r\n 7", 7},
        {"-15", -15},
        {"+15", 15},
        {"007", 7},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"- 5", 0},
        {"1 2", 1},
        {"3.9", 3},
        // Full-width digits, sign and space (code page 936).
        {"\xA3\xB1\xA3\xB2\xA3\xB3", 123},
        {"\xA1\xA1\xA3\xAD\xA3\xB9", -9},
        {"\xA3\xAB"
         "8",
         8},
        {"1\xA3\xB0", 10},
        // Other two-byte characters stop the number and are no blanks.
        {"\xD6\xD0"
         "5",
         0},
        {"5\xD6\xD0"
         "5",
         5},
        // A full-width digit's second byte alone is no digit.
        {"\xB0\xA3\xB1", 0},
        {Text("12\0"
              "3",
              4),
         12},
        // Beyond the int range the result saturates.
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"-99999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(textToInteger(c.text), c.expected);
    }
}

}  // namespace
}  // namespace navoket
