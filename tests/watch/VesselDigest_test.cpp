#include "watch/VesselDigest.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <string>

#include "tests/watch/WatchFixture.h"
#include "web/WebRequestInet.h"

namespace navoket {
namespace {

using test::WatchFixture;

const std::string left = "width:1200px;margin:0 auto";
const std::string right = "<br> <br>";
const std::string emptyDigest = "d41d8cd98f00b204e9800998ecf8427e";

bool isDigestText(const std::string& text) {
    return text.size() == 32 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

struct PageCase {
    const char* name;
    std::string page;  // UTF-8, served as it stands
    int status;
    bool hasBlock;
    std::string block;  // code page 936
    std::string digest;
};

class VesselDigestTest : public WatchFixture {};

TEST_F(VesselDigestTest, CutsConvertsAndDigestsTheBlockOfEachPage) {
    const PageCase cases[] = {
        {"known block",
         "<div class=\"top\">\xe8\x88\xb9\xe6\x9c\x9f</div>\n<div style=\"" + left +
             "\">\n<td>\xe5\xae\x81\xe6\xb3\xa2 NINGBO</td><td>12-18 06:00</td>\n" + right +
             "\n<p>tail</p>",
         200, true, "\">\n<td>\xc4\xfe\xb2\xa8 NINGBO</td><td>12-18 06:00</td>\n",
         "5f1b09e6604bb61acde9a4f2c8df1b43"},
        {"first left marker wins", left + " one" + right + left + " two" + right, 200, true, " one",
         "8ff9ce8835354e3d49a84a608346f665"},
        {"letter case is not normalised", left + " ONE" + right, 200, true, " ONE",
         "22c0b0e49578cdf3a3cfc097e9f2b12b"},
        {"present but empty block", "<p>" + left + right + "</p>", 200, true, "", emptyDigest},
        {"error page carrying a block", left + " down" + right, 503, true, " down",
         "0e83ec6e7d109348d1028c47a5f23994"},
        {"right marker only before the left one", right + left + " tail", 200, false, "", ""},
        {"no left marker", "<p>nothing here</p>" + right, 200, false, "", ""},
        {"empty page", "", 200, false, "", ""},
        {"zero byte ends the page before the block", std::string("head\0", 5) + left + " x" + right,
         200, false, "", ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        site().setPage("PAGE CASE", row.page, row.status);
        const VesselFetch fetch = fetchVesselDigest("PAGE CASE");
        EXPECT_EQ(fetch.hasBlock, row.hasBlock);
        EXPECT_EQ(fetch.block, row.block);
        EXPECT_EQ(fetch.digest, row.digest);
        EXPECT_EQ(fetch.status, row.status);
        EXPECT_EQ(fetch.failure.empty(), row.hasBlock);
    }
}

TEST_F(VesselDigestTest, InvalidUtf8InTheBlockStillGivesAStableDigest) {
    site().setPage("BROKEN UTF8", left + " \xff\xfe \xe4\xb8 A\xc3" + " " + right);
    const VesselFetch first = fetchVesselDigest("BROKEN UTF8");
    ASSERT_TRUE(first.hasBlock) << first.failure;
    EXPECT_TRUE(isDigestText(first.digest)) << first.digest;
    EXPECT_NE(first.digest, emptyDigest);
    EXPECT_EQ(fetchVesselDigest("BROKEN UTF8").digest, first.digest);
}

TEST_F(VesselDigestTest, PostsTheNameAsRawCodePageBytes) {
    struct NameCase {
        const char* utf8;  // as the stand-in keys it
        const char* ansi;  // as the program holds it
    };
    const NameCase names[] = {
        {"A&B LINE", "A&B LINE"},
        {"  BLANKS AROUND  ", "  BLANKS AROUND  "},
        {"X=1&vessel=Y%20Z+", "X=1&vessel=Y%20Z+"},
        {"\xe6\xb5\xb7\xe9\xb9\xad\xe5\x8f\xb7", "\xba\xa3\xf0\xd8\xba\xc5"},
        {"", ""},
    };
    for (const auto& name : names) {
        SCOPED_TRACE(name.utf8);
        site().setSchedule(name.utf8, "NINGBO,12-18 06:00,12-19 14:00");
        const VesselFetch fetch = fetchVesselDigest(name.ansi);
        EXPECT_EQ(site().lastRequest(), std::string("vessel=") + name.ansi);
        EXPECT_TRUE(fetch.hasBlock) << fetch.failure;
        EXPECT_TRUE(isDigestText(fetch.digest)) << fetch.digest;
        EXPECT_NE(fetch.block.find("NINGBO"), std::string::npos);
    }
}

TEST_F(VesselDigestTest, ASameScheduleGivesTheSameDigestAndAChangeADifferentOne) {
    site().setSchedule("STEADY", "NINGBO,12-18 06:00,12-19 14:00");
    const VesselFetch before = fetchVesselDigest("STEADY");
    EXPECT_EQ(fetchVesselDigest("STEADY").digest, before.digest);
    site().setSchedule("STEADY", "NINGBO,12-18 06:00,12-19 15:00");
    const VesselFetch after = fetchVesselDigest("STEADY");
    ASSERT_TRUE(after.hasBlock);
    EXPECT_NE(after.digest, before.digest);
}

TEST_F(VesselDigestTest, AnUnknownVesselIsAFailedFetch) {
    site().remove("NOBODY");
    const VesselFetch fetch = fetchVesselDigest("NOBODY");
    EXPECT_FALSE(fetch.hasBlock);
    EXPECT_EQ(fetch.status, 200);
    EXPECT_TRUE(fetch.digest.empty());
    EXPECT_FALSE(fetch.failure.empty());
}

// A loopback socket that takes connections into its backlog and never answers.
class SilentPeer {
public:
    SilentPeer() : m_fd(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* raw = reinterpret_cast<sockaddr*>(&address);
        if (m_fd >= 0 && bind(m_fd, raw, length) == 0 && listen(m_fd, 8) == 0 &&
            getsockname(m_fd, raw, &length) == 0) {
            m_port = ntohs(address.sin_port);
        }
    }
    ~SilentPeer() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    SilentPeer(const SilentPeer&) = delete;
    SilentPeer& operator=(const SilentPeer&) = delete;

    std::string host() const { return "127.0.0.1:" + std::to_string(m_port); }

private:
    int m_fd;
    int m_port = 0;
};

// Short time-outs for the test's length, the defaults again afterwards.
struct ShortTimeouts {
    ShortTimeouts() { setInetTimeoutsForTesting(std::chrono::seconds(2), std::chrono::seconds(1)); }
    ~ShortTimeouts() {
        setInetTimeoutsForTesting(std::chrono::seconds(60), std::chrono::seconds(30));
    }
};

TEST_F(VesselDigestTest, ANetworkFailureIsAFailedFetchNotADigest) {
    const ShortTimeouts timeouts;
    const SilentPeer silent;
    const std::string hosts[] = {
        "127.0.0.1:1",       // refused: nothing listens there
        "schedule.invalid",  // a name that never resolves (RFC 6761)
        silent.host(),       // connects, then no reply within the receive time-out
    };
    for (const auto& host : hosts) {
        SCOPED_TRACE(host);
        pointScheduleAt(host);
        const auto begin = std::chrono::steady_clock::now();
        const VesselFetch fetch = fetchVesselDigest("ORIENT LARK");
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
        EXPECT_FALSE(fetch.hasBlock);
        EXPECT_EQ(fetch.status, 0);
        EXPECT_TRUE(fetch.block.empty());
        EXPECT_TRUE(fetch.digest.empty());
        EXPECT_FALSE(fetch.failure.empty());
    }
}

TEST_F(VesselDigestTest, AReplyCutOffMidwayIsAFailedFetchEvenWithBothMarkers) {
    site().setPage("CUT OFF", left + " whole block" + right, 200, true);
    const VesselFetch fetch = fetchVesselDigest("CUT OFF");
    EXPECT_FALSE(fetch.hasBlock);
    EXPECT_TRUE(fetch.digest.empty());
    EXPECT_FALSE(fetch.failure.empty());
}

TEST_F(VesselDigestTest, ALargePageIsCutLikeAnyOther) {
    std::string page(std::size_t{50} << 20, 'x');  // 50 MiB in front of the block
    page += left + " one" + right;
    site().setPage("LARGE PAGE", page);
    const VesselFetch fetch = fetchVesselDigest("LARGE PAGE");
    ASSERT_TRUE(fetch.hasBlock) << fetch.failure;
    EXPECT_EQ(fetch.digest, "8ff9ce8835354e3d49a84a608346f665");
}

}  // namespace
}  // namespace navoket
