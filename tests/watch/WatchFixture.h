#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/settings/ProgramTexts.h"
#include "app/settings/Settings.h"
#include "tests/support/TempFolder.h"
#include "tests/watch/ScheduleSite.h"

namespace navoket::test {

// One stand-in for the whole program, a fresh drive C: per test with the
// first-run settings and Endpoints/schedule pointing at the stand-in.
class WatchFixture : public ::testing::Test {
public:
    static void pointScheduleAt(const std::string& host) {
        writeSetting("Endpoints", "schedule", host);
        setFixedProgramTexts();
    }

protected:
    static void SetUpTestSuite() {
        if (!s_site) {
            s_site = std::make_unique<ScheduleSite>();
        }
    }

    void SetUp() override {
        ASSERT_TRUE(s_site->ready()) << "the schedule-site stand-in did not start";
        m_drive.emplace();
        firstRunSetup();
        pointScheduleAt(s_site->host());
    }

    void TearDown() override {
        programTexts() = ProgramTexts();
        m_drive.reset();
    }

    static ScheduleSite& site() { return *s_site; }

private:
    static inline std::unique_ptr<ScheduleSite> s_site;
    std::optional<TempFolder> m_drive;
};

}  // namespace navoket::test
