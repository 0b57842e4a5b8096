#include "watch/ManualCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/settings/ProgramTexts.h"
#include "app/settings/Settings.h"
#include "platform/DriveC.h"
#include "platform/MessageBox.h"
#include "tests/watch/WatchFixture.h"
#include "text/CodePageText.h"
#include "watch/VesselDigest.h"

namespace navoket {
namespace {

struct Box {
    Text text;
    Text title;
    unsigned flags;
};

const unsigned exclamationBox = 0x2030;
const unsigned informationBox = 0x2040;

class ManualCheckTest : public test::WatchFixture {
protected:
    void SetUp() override {
        WatchFixture::SetUp();
        setMessageBoxPresenter([this](const Text& text, const Text& title, unsigned flags) {
            m_boxes.push_back({text, title, flags});
        });
    }
    void TearDown() override {
        setMessageBoxPresenter({});
        WatchFixture::TearDown();
    }

    // The boxes shown since the last call.
    std::vector<Box> takeBoxes() { return std::exchange(m_boxes, {}); }

    static void expectOneBox(const std::vector<Box>& boxes, const Text& textStart, unsigned flags) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text.substr(0, textStart.size()), textStart)
            << ansiToUtf8(boxes[0].text);
        EXPECT_EQ(boxes[0].title, "Navoket");
        EXPECT_EQ(boxes[0].flags, flags);
    }

    static Text baseline() { return readSetting("Ship", "Data"); }

    const Text changedText = ansiText("这次请求发现数据有变动。请手动打开浏览器检查。");
    const Text sameText = ansiText("这次请求发现结果相同。");
    const Text checkFailedText = ansiText("这次请求失败：");
    const Text refreshFailedText = ansiText("无法刷新缓存：");

private:
    std::vector<Box> m_boxes;
};

TEST_F(ManualCheckTest, CheckComparesTheDigestWithTheBaselineByteForByte) {
    site().setSchedule("COMPARED", "NINGBO,12-18 06:00,12-19 14:00");
    const Text digest = fetchVesselDigest("COMPARED").digest;
    Text upper = digest;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    struct Row {
        const char* name;
        Text baseline;
        CheckOutcome outcome;
    };
    const Row rows[] = {
        {"baseline equal to the digest", digest, CheckOutcome::same},
        {"first-run baseline", "0", CheckOutcome::changed},
        {"empty baseline", "", CheckOutcome::changed},
        {"baseline in upper case", upper, CheckOutcome::changed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeSetting("Ship", "Data", row.baseline);
        EXPECT_EQ(checkVessel("COMPARED"), row.outcome);
        const bool same = row.outcome == CheckOutcome::same;
        expectOneBox(takeBoxes(), same ? sameText : changedText,
                     same ? informationBox : exclamationBox);
        EXPECT_EQ(baseline(), row.baseline);
        EXPECT_EQ(programTexts().checkPostText, "vessel=COMPARED");
        EXPECT_EQ(programTexts().checkDigest, digest);
        EXPECT_NE(programTexts().checkBlock.find("NINGBO"), std::string::npos);
    }
}

TEST_F(ManualCheckTest, RefreshStoresTheStoredVesselsDigestAndTheCheckFollowsIt) {
    writeSetting("Ship", "Name", "STORED");
    site().setSchedule("STORED", "NINGBO,12-18 06:00,12-19 14:00");
    site().setSchedule("TYPED", "BUSAN,12-23 07:00,12-23 22:00");

    EXPECT_EQ(refreshBaseline(RefreshCaller::mainWindow), RefreshOutcome::stored);
    EXPECT_TRUE(takeBoxes().empty());
    EXPECT_EQ(baseline(), fetchVesselDigest("STORED").digest);
    EXPECT_EQ(programTexts().lastVesselDigest, baseline());
    EXPECT_NE(programTexts().lastVesselBlock.find("NINGBO"), std::string::npos);

    EXPECT_EQ(checkVessel("STORED"), CheckOutcome::same);
    expectOneBox(takeBoxes(), sameText, informationBox);
    // The refresh took the stored name, so a typed other vessel is a change.
    EXPECT_EQ(checkVessel("TYPED"), CheckOutcome::changed);
    expectOneBox(takeBoxes(), changedText, exclamationBox);

    site().setSchedule("STORED", "NINGBO,12-18 06:00,12-19 20:00");
    EXPECT_EQ(checkVessel("STORED"), CheckOutcome::changed);
    expectOneBox(takeBoxes(), changedText, exclamationBox);
    EXPECT_EQ(checkVessel("STORED"), CheckOutcome::changed);
    takeBoxes();

    EXPECT_EQ(refreshBaseline(RefreshCaller::patrolWindow), RefreshOutcome::stored);
    EXPECT_EQ(checkVessel("STORED"), CheckOutcome::same);
    expectOneBox(takeBoxes(), sameText, informationBox);
}

TEST_F(ManualCheckTest, PatrolRefreshKeepsNothingInTheProgramTexts) {
    writeSetting("Ship", "Name", "PATROLLED");
    site().setSchedule("PATROLLED", "NINGBO,12-18 06:00,12-19 14:00");
    EXPECT_EQ(refreshBaseline(RefreshCaller::patrolWindow), RefreshOutcome::stored);
    EXPECT_EQ(baseline(), fetchVesselDigest("PATROLLED").digest);
    EXPECT_TRUE(programTexts().lastVesselBlock.empty());
    EXPECT_TRUE(programTexts().lastVesselDigest.empty());
}

// A settings file that refuses the write keeps the old baseline, and the
// refresh says so instead of passing for a success.
TEST_F(ManualCheckTest, RefreshThatCannotWriteTheBaselineSaysSo) {
    writeSetting("Ship", "Name", "LOCKED");
    site().setSchedule("LOCKED", "NINGBO,12-18 06:00,12-19 14:00");
    const std::filesystem::path file = hostPath(settingsFilePath);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    EXPECT_EQ(refreshBaseline(RefreshCaller::mainWindow), RefreshOutcome::failed);
    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    expectOneBox(takeBoxes(), refreshFailedText, informationBox);
    EXPECT_EQ(baseline(), "0");  // the first run's value
}

// Each way a fetch can fail, set up after a good baseline has been stored.
struct FailureRow {
    const char* name;
    void (*arrange)(test::ScheduleSite& site);
    RefreshOutcome refresh;
    const char* boxHolds;  // a text the refresh's box must hold, UTF-8
};

const FailureRow failureRows[] = {
    {"unknown vessel", [](test::ScheduleSite& site) { site.remove("FAILING"); },
     RefreshOutcome::failed, ""},
    {"page without a right marker",
     [](test::ScheduleSite& site) { site.setPage("FAILING", "width:1200px;margin:0 auto x"); },
     RefreshOutcome::failed, ""},
    {"connection refused",
     [](test::ScheduleSite&) { test::WatchFixture::pointScheduleAt("127.0.0.1:1"); },
     RefreshOutcome::failed, ""},
    {"error page with a block",
     [](test::ScheduleSite& site) {
         site.setPage("FAILING", "width:1200px;margin:0 auto busy<br> <br>", 503);
     },
     RefreshOutcome::refusedErrorPage, "503"},
};

void PrintTo(const FailureRow& row, std::ostream* out) {
    *out << row.name;
}

class FailedFetchTest : public ManualCheckTest, public ::testing::WithParamInterface<FailureRow> {
protected:
    void SetUp() override {
        ManualCheckTest::SetUp();
        writeSetting("Ship", "Name", "FAILING");
        site().setSchedule("FAILING", "NINGBO,12-18 06:00,12-19 14:00");
        ASSERT_EQ(refreshBaseline(RefreshCaller::mainWindow), RefreshOutcome::stored);
        m_goodBaseline = baseline();
        GetParam().arrange(site());
    }
    Text m_goodBaseline;
};

TEST_P(FailedFetchTest, RefreshKeepsTheBaselineAndSaysSo) {
    EXPECT_EQ(refreshBaseline(RefreshCaller::mainWindow), GetParam().refresh);
    EXPECT_EQ(baseline(), m_goodBaseline);
    const auto boxes = takeBoxes();
    expectOneBox(boxes, refreshFailedText, informationBox);
    EXPECT_NE(boxes.at(0).text.find(GetParam().boxHolds), std::string::npos);
    EXPECT_EQ(refreshBaseline(RefreshCaller::patrolWindow), GetParam().refresh);
    EXPECT_EQ(baseline(), m_goodBaseline);
    expectOneBox(takeBoxes(), refreshFailedText, informationBox);
}

TEST_P(FailedFetchTest, CheckReportsTheFailureAndNeitherChangeNorSameness) {
    const CheckOutcome outcome = checkVessel("FAILING");
    if (GetParam().refresh == RefreshOutcome::refusedErrorPage) {
        // The check leaves the status aside: a block is compared as it is.
        EXPECT_EQ(outcome, CheckOutcome::changed);
        expectOneBox(takeBoxes(), changedText, exclamationBox);
    } else {
        EXPECT_EQ(outcome, CheckOutcome::failed);
        expectOneBox(takeBoxes(), checkFailedText, informationBox);
        EXPECT_TRUE(programTexts().checkDigest.empty());
    }
    EXPECT_EQ(baseline(), m_goodBaseline);
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedFetchTest, ::testing::ValuesIn(failureRows),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

}  // namespace
}  // namespace navoket
