#include "web/Cookies.h"

#include <gtest/gtest.h>

namespace navoket {
namespace {

struct MergeCase {
    const char* oldSet;
    const char* newSet;
    const char* merged;
    const char* newAfter;
};

TEST(Cookies, MergeCookies) {
    const MergeCase cases[] = {
        {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3; c=4"},
        {"a=1; b=2", "b=deleted", "a=1", "b=deleted"},
        {"a=1;", "", "a=1", ""},
        {"", "x=1; x=1; y=2", "x=1; y=2", "x=1; x=1; y=2"},
        {"a=1", "a=2; a=3", "a=2; a=3", "a=2; a=3"},
        {"A=1", "a=2", "a=2; A=1", "a=2"},
        {" a = 1 ", "a=2", "a=2", "a=2"},
        {"a=1;b=2", "a=5", "a=5", "a=5"},
        {"", "", "", ""},
        {"a=1; a=2", "", "a=1", ""},
        {"a=1", " b=2; ", "b=2; a=1", "b=2; "},
        {"v=x=y", "w=1", "w=1; v=x=y", "w=1"},
        {"flag", "flag=1", "flag=1", "flag=1"},
        {"\xA1\xA1s=1\xA1\xA1", "", "s=1", ""},
        {"a=1; ; b=2", "", "a=1; ; b=2", ""},
    };
    for (const MergeCase& row : cases) {
        SCOPED_TRACE(std::string(row.oldSet) + " | " + row.newSet);
        Text oldSet = row.oldSet;
        Text newSet = row.newSet;
        EXPECT_EQ(mergeCookies(oldSet, newSet), row.merged);
        EXPECT_EQ(oldSet, row.merged);
        EXPECT_EQ(newSet, row.newAfter);
    }
}

TEST(Cookies, CookieName) {
    const std::pair<const char*, const char*> rows[] = {{"a=1", "a"},     {" a = 1", "a"},
                                                        {"flag", "flag"}, {" flag ", "flag"},
                                                        {"=v", ""},       {"a=b=c", "a"}};
    for (const auto& [pair, name] : rows) {
        SCOPED_TRACE(pair);
        EXPECT_EQ(cookieName(pair), name);
    }
}

TEST(Cookies, UniquePieces) {
    struct Row {
        const char* text;
        const char* separator;
        const char* expected;
    };
    const Row rows[] = {
        {"", "; ", ""},        {"a; b; a; c; b", "; ", "a; b; c"},
        {"a,a,A", ",", "a,A"}, {"a; ", "; ", "a"},
        {"x", "", "x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(uniquePieces(row.text, row.separator), row.expected);
    }
}

}  // namespace
}  // namespace navoket
