#pragma once

#include <functional>

#include "platform/Bytes.h"

namespace navoket {

// A local calendar date and 24-hour time; month and day count from 1.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The system's local time, or the overriding source's.
LocalTime currentLocalTime();

// Replaces the clock (tests, the driver); an empty source restores the system
// clock.
using LocalTimeSource = std::function<LocalTime()>;
void setLocalTimeSource(LocalTimeSource source);

// The program's date-time text in code page 936: "2026年12月9日18时5分7秒",
// numbers without leading zeros; the time stops after its last non-zero field,
// so 18:05:00 gives "2026年12月9日18时5分" and midnight the date alone.
Text currentTimeText(const LocalTime& time);
Text currentTimeText();

}  // namespace navoket
