// Calls on the settings file, the first-run setup, the registry stand-in and
// the clock.

#include <cstdio>

#include "app/settings/Settings.h"
#include "platform/Clock.h"
#include "platform/Registry.h"
#include "tools/driver/CallTable.h"

namespace navoket::driver {
namespace {

// "YYYY-MM-DD HH:MM:SS", nothing more.
std::optional<LocalTime> parseLocalTime(const Text& text) {
    LocalTime time;
    int consumed = 0;
    const int fields =
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &time.year, &time.month, &time.day,
                    &time.hour, &time.minute, &time.second, &consumed);
    if (fields != 6 || static_cast<std::size_t>(consumed) != text.size() || text.size() != 19) {
        return std::nullopt;
    }
    return time;
}

const CallRegistrar settingsCalls{
    {"readSetting",
     {rootArg(), required("section", ArgType::text), required("key", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = readSetting(args.text("section"), args.text("key"));
     }},
    {"writeSetting",
     {rootArg(), required("section", ArgType::text), required("key", ArgType::text),
      required("value", ArgType::text)},
     [](const CallArgs& args, CallReply&) {
         writeSetting(args.text("section"), args.text("key"), args.text("value"));
     }},
    {"firstRunSetup", {rootArg()}, [](const CallArgs&, CallReply&) { firstRunSetup(); }},
    {"registryValue",
     {rootArg(), required("key", ArgType::text), required("name", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         if (const auto value =
                 registryGetDword(registryCurrentUser, args.text("key"), args.text("name"))) {
             reply.result = *value;
         }
     }},
    // Formats the given time only; the windows' clocks keep the real time.
    {"currentTimeText",
     {required("time", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         const auto time = parseLocalTime(args.text("time"));
         if (!time) {
             reply.fail("time: expected \"YYYY-MM-DD HH:MM:SS\"");
             return;
         }
         reply.result = currentTimeText(*time);
     }},
};

}  // namespace
}  // namespace navoket::driver
