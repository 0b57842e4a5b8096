#include <gtest/gtest.h>

#include "platform/Clock.h"

namespace navoket {
namespace {

// The unit characters in code page 936.
const Text nian = "\xC4\xEA";  // 年
const Text yue = "\xD4\xC2";   // 月
const Text ri = "\xC8\xD5";    // 日
const Text shi = "\xCA\xB1";   // 时
const Text fen = "\xB7\xD6";   // 分
const Text miao = "\xC3\xEB";  // 秒

TEST(CurrentTimeText, TimeEndsAtItsLastNonZeroField) {
    const Text date = "2026" + nian + "12" + yue + "9" + ri;
    const struct {
        LocalTime time;
        Text expected;
    } cases[] = {
        {{2026, 12, 9, 18, 5, 7}, date + "18" + shi + "5" + fen + "7" + miao},
        {{2026, 12, 9, 18, 5, 0}, date + "18" + shi + "5" + fen},
        {{2026, 12, 9, 18, 0, 0}, date + "18" + shi},
        {{2026, 12, 9, 0, 0, 0}, date},
        // A non-zero later field brings the zero fields before it.
        {{2026, 12, 9, 0, 0, 7}, date + "0" + shi + "0" + fen + "7" + miao},
        {{2026, 12, 9, 0, 30, 0}, date + "0" + shi + "30" + fen},
        {{2027, 1, 1, 23, 59, 59},
         "2027" + nian + "1" + yue + "1" + ri + "23" + shi + "59" + fen + "59" + miao},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(currentTimeText(c.time), c.expected);
    }
}

TEST(CurrentTimeText, FollowsTheClockSeam) {
    setLocalTimeSource([] { return LocalTime{2030, 2, 3, 4, 5, 6}; });
    EXPECT_EQ(currentTimeText(),
              "2030" + nian + "2" + yue + "3" + ri + "4" + shi + "5" + fen + "6" + miao);
    setLocalTimeSource({});
    const LocalTime now = currentLocalTime();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
}

}  // namespace
}  // namespace navoket
