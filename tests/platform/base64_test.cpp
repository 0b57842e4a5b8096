#include "platform/Base64.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace navoket {
namespace {

TEST(Base64Encode, Rfc4648Vectors) {
    const std::pair<std::string, std::string> rows[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\x00\xFF\xFE", 3), "AP/+"},
        {std::string("\xff\xfe\x00", 3), "//4A"},
        {"user:pass", "dXNlcjpwYXNz"},
    };
    for (const auto& [input, expected] : rows) {
        SCOPED_TRACE(input);
        EXPECT_EQ(base64Encode(input), expected);
    }
}

}  // namespace
}  // namespace navoket
