#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "lookup/LookupPublicAddress.h"
#include "tests/lookup/LookupFixture.h"

namespace navoket::test {
namespace {

using Clock = std::chrono::steady_clock;
using UnreachableTest = LookupFixture;

// Nothing listens on port 1 of loopback: every connection is refused at once.
TEST_F(UnreachableTest, RefusedServiceGivesEmptyTextsAtOnce) {
    for (int service = -1; service <= 8; ++service) {
        SCOPED_TRACE(service);
        writeSetting("Endpoints", endpointKey(service), "127.0.0.1:1");
        const auto start = Clock::now();
        Text place = "old place";
        EXPECT_EQ(lookupPublicAddress(&place, service), "");
        // Service 4 joins its two empty members with a space.
        EXPECT_EQ(place, service == 4 ? " " : "");
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    }
}

// A service that takes the request and never answers ends with the request's
// time-out (15 s for the first request; "http:" then fails at once).
TEST_F(UnreachableTest, UnansweringDefaultServiceEndsWithTheTimeout) {
    RecordingHttpServer silent;
    ASSERT_TRUE(silent.ready());
    ASSERT_TRUE(silent.script({{{"silent", true}}}));
    writeSetting("Endpoints", "lookup0", hostOf(silent));
    const auto start = Clock::now();
    Text place = "old place";
    EXPECT_EQ(lookupPublicAddress(&place), "");
    EXPECT_EQ(place, "");
    const auto took = Clock::now() - start;
    EXPECT_GE(took, std::chrono::seconds(14));
    EXPECT_LT(took, std::chrono::seconds(25));
    EXPECT_EQ(silent.requests().size(), 1u);
}

// The background lookup returns at once, reads the host before it returns and
// delivers on a thread of its own when the service gives up.
TEST_F(UnreachableTest, BackgroundLookupReturnsAtOnceAndDeliversLater) {
    auto silent = std::make_unique<RecordingHttpServer>();
    ASSERT_TRUE(silent->ready());
    ASSERT_TRUE(silent->script({{{"silent", true}}}));
    writeSetting("Endpoints", "lookup0", hostOf(*silent));

    std::promise<std::pair<PublicAddress, std::thread::id>> delivered;
    const auto start = Clock::now();
    lookupPublicAddressInBackground(0, [&delivered](PublicAddress found) {
        delivered.set_value({std::move(found), std::this_thread::get_id()});
    });
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    // The host is already taken: changing the settings now changes nothing.
    writeSetting("Endpoints", "lookup0", "127.0.0.1:1");
    auto result = delivered.get_future();
    for (auto waited = Clock::now(); silent->requests().empty();) {
        ASSERT_LT(Clock::now() - waited, std::chrono::seconds(10)) << "no request arrived";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    // The stand-in ends: the held connection closes and the request fails.
    silent.reset();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const auto [found, thread] = result.get();
    EXPECT_EQ(found.address, "");
    EXPECT_EQ(found.place, "");
    EXPECT_NE(thread, std::this_thread::get_id());
}

// The background lookup gives what the synchronous one gives.
TEST_F(UnreachableTest, BackgroundLookupDeliversTheAnswer) {
    RecordingHttpServer& server = standInFor(6);
    ASSERT_TRUE(server.script({{{"body", "203.0.113.7\n"}}}));
    std::promise<PublicAddress> delivered;
    lookupPublicAddressInBackground(
        6, [&delivered](PublicAddress found) { delivered.set_value(std::move(found)); });
    auto result = delivered.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get().address, "203.0.113.7");
}

}  // namespace
}  // namespace navoket::test
