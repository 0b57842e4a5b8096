#include "platform/Clock.h"

#include <ctime>
#include <string>
#include <utility>

namespace navoket {
namespace {

// The unit characters in code page 936 (this library sits below the code-page
// helpers, so they are spelt as bytes).
constexpr const char* yearUnit = "\xC4\xEA";    // 年
constexpr const char* monthUnit = "\xD4\xC2";   // 月
constexpr const char* dayUnit = "\xC8\xD5";     // 日
constexpr const char* hourUnit = "\xCA\xB1";    // 时
constexpr const char* minuteUnit = "\xB7\xD6";  // 分
constexpr const char* secondUnit = "\xC3\xEB";  // 秒

LocalTimeSource& timeSource() {
    static LocalTimeSource source;
    return source;
}

LocalTime systemLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (::localtime_r(&now, &parts) == nullptr) {
        return LocalTime{};
    }
    return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                     parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace

LocalTime currentLocalTime() {
    return timeSource() ? timeSource()() : systemLocalTime();
}

void setLocalTimeSource(LocalTimeSource source) {
    timeSource() = std::move(source);
}

Text currentTimeText(const LocalTime& time) {
    Text text = std::to_string(time.year) + yearUnit + std::to_string(time.month) + monthUnit +
                std::to_string(time.day) + dayUnit;
    if (time.second != 0) {
        text += std::to_string(time.hour) + hourUnit + std::to_string(time.minute) + minuteUnit +
                std::to_string(time.second) + secondUnit;
    } else if (time.minute != 0) {
        text += std::to_string(time.hour) + hourUnit + std::to_string(time.minute) + minuteUnit;
    } else if (time.hour != 0) {
        text += std::to_string(time.hour) + hourUnit;
    }
    return text;
}

Text currentTimeText() {
    return currentTimeText(currentLocalTime());
}

}  // namespace navoket
