#include "app/settings/ProgramTexts.h"

#include "app/settings/Endpoints.h"

namespace navoket {
namespace {

// The vessel-schedule website used when the settings name no other.
constexpr const char* builtInScheduleHost = "www.shipschedule.example.com";
constexpr const char* scheduleEndpointKey = "schedule";
constexpr const char* schedulePagePath = "/guestbook/cbxx.php";

}  // namespace

ProgramTexts& programTexts() {
    static ProgramTexts texts;
    return texts;
}

void setFixedProgramTexts() {
    ProgramTexts& texts = programTexts();
    texts.dataPageUrl =
        "http://" + endpointHost(scheduleEndpointKey, builtInScheduleHost) + schedulePagePath;
    texts.programVersion = "0.2";
}

}  // namespace navoket
