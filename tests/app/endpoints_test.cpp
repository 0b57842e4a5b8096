#include <gtest/gtest.h>

#include "app/settings/Endpoints.h"
#include "app/settings/ProgramTexts.h"
#include "app/settings/Settings.h"
#include "tests/support/TempFolder.h"

namespace navoket {
namespace {

TEST(EndpointHost, ConfiguredHostOrTheBuiltInOne) {
    test::TempFolder drive;
    EXPECT_EQ(endpointHost("schedule", "built.in"), "built.in");  // no file at all
    firstRunSetup();
    const struct {
        const char* why;
        Text stored;
        Text expected;
    } cases[] = {
        {"host", "127.0.0.1", "127.0.0.1"},
        {"host and port", "127.0.0.2:8080", "127.0.0.2:8080"},
        {"blanks around", "  localhost:81  ", "localhost:81"},
        {"empty", "", "built.in"},
        {"scheme and path", "http://evil/x", "built.in"},
        {"query", "host?x=1", "built.in"},
        {"user information", "user@host", "built.in"},
        {"inner blank", "two words", "built.in"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(writeSetting("Endpoints", "schedule", c.stored));
        EXPECT_EQ(endpointHost("schedule", "built.in"), c.expected);
    }
    EXPECT_EQ(endpointHost("update", "built.in"), "built.in");  // missing key
}

TEST(ProgramTexts, FixedTextsUseTheScheduleEndpoint) {
    test::TempFolder drive;
    setFixedProgramTexts();
    const Text builtIn = programTexts().dataPageUrl;
    EXPECT_TRUE(builtIn.starts_with("http://")) << builtIn;
    EXPECT_TRUE(builtIn.ends_with("/guestbook/cbxx.php")) << builtIn;
    EXPECT_EQ(programTexts().programVersion, "0.2");

    firstRunSetup();
    ASSERT_TRUE(writeSetting("Endpoints", "schedule", "127.0.0.1:8080"));
    setFixedProgramTexts();
    EXPECT_EQ(programTexts().dataPageUrl, "http://127.0.0.1:8080/guestbook/cbxx.php");
}

}  // namespace
}  // namespace navoket
