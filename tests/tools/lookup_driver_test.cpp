#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/RecordingHttpServer.h"
#include "tests/support/TempFolder.h"
#include "tests/tools/DriverSession.h"
#include "tests/tools/DriverTexts.h"

namespace navoket::test {
namespace {

using Json = nlohmann::json;

const std::string label4 = "\xb1\xea\xc7\xa9\x34";            // 标签4
const std::string beijing = "\xb1\xb1\xbe\xa9";               // 北京
const std::string operationOn = "\xb2\xd9\xd7\xf7\xd4\xda ";  // "操作在 "
const std::string safelyDone =                                // " 上被安全执行。"
    " \xc9\xcf\xb1\xbb\xb0\xb2\xc8\xab\xd6\xb4\xd0\xd0\xa1\xa3";

// A driver with its root prepared as after a first run, and the stand-ins of
// the address services: plain HTTP for services 0 and 1, HTTPS for 2 to 7.
class LookupDriverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!s_plain) {
            s_plain = std::make_unique<RecordingHttpServer>();
            RecordingHttpServer::Options tlsOptions;
            tlsOptions.tls = true;
            s_tls = std::make_unique<RecordingHttpServer>(tlsOptions);
        }
    }

    void SetUp() override {
        ASSERT_TRUE(s_plain->ready() && s_tls->ready());
        ASSERT_TRUE(s_plain->clear() && s_tls->clear());
        ASSERT_TRUE(driver.started());
        call("firstRunSetup", {{"root", root()}});
    }

    Json call(const std::string& name, Json args = Json::object()) {
        return driver.call({{"id", ++lastId}, {"call", name}, {"args", std::move(args)}});
    }
    std::string root() const { return folder.path().string(); }

    // The stand-in of service, named in the root's Endpoints.
    RecordingHttpServer& standInFor(int service) {
        const bool tls = service >= 2 && service <= 7;
        RecordingHttpServer& server = tls ? *s_tls : *s_plain;
        pointLookupAt(service, "127.0.0.1:" + std::to_string(server.port()));
        return server;
    }
    void pointLookupAt(int service, const std::string& host) {
        const int row = service >= 1 && service <= 7 ? service : 0;
        call("writeSetting", {{"root", root()},
                              {"section", "Endpoints"},
                              {"key", "lookup" + std::to_string(row)},
                              {"value", host}});
    }
    static std::vector<Json> framedReplies(const RecordingHttpServer& server) {
        return {{{"body", "<iframe src=\"" + server.url("/ic.asp") + "\"></iframe>"}},
                {{"body", "<title>您的IP地址是：203.0.113.7</title><p>来自：北京\n</p>"}}};
    }

    TempFolder folder;
    DriverSession driver;
    int lastId = 0;

private:
    static inline std::unique_ptr<RecordingHttpServer> s_plain;
    static inline std::unique_ptr<RecordingHttpServer> s_tls;
};

struct DriverRow {
    std::optional<int> service;  // left out: the default service
    std::vector<Json> replies;
    std::string place;  // code page 936
};

// Every service through the driver: the address as result, the place in out
// when placeText is named.
TEST_F(LookupDriverTest, LooksUpEveryService) {
    const std::vector<DriverRow> rows = {
        {std::nullopt, {}, beijing},
        {0, {}, beijing},
        {1,
         {{{"body", "var returnCitySN = {\"cip\": \"203.0.113.7\", \"cid\": \"1\", \"cname\": \"" +
                        beijing + "\"};"}}},
         beijing},
        {2, {{{"body", "{\"ip\":\"203.0.113.7\",\"address\":\"\\u5317\\u4eac\"}"}}}, beijing},
        {3, {{{"body", "{\"ip\":\"203.0.113.7\",\"address\":\"北京\"}"}}}, beijing},
        {4,
         {{{"body", "{\"ip\":\"203.0.113.7\",\"region\":\"北京\",\"city\":\"北京\"}"}}},
         beijing + " " + beijing},
        {5, {{{"body", "IP:203.0.113.7"}}}, ""},
        {6, {{{"body", "203.0.113.7\n"}}}, ""},
        {7, {{{"body", "{\"ip\": \"203.0.113.7\"}"}}}, ""},
    };
    for (const DriverRow& row : rows) {
        SCOPED_TRACE(row.service ? std::to_string(*row.service) : "left out");
        RecordingHttpServer& server = standInFor(row.service.value_or(0));
        ASSERT_TRUE(server.script(row.replies.empty() ? framedReplies(server) : row.replies));
        Json args = {{"root", root()}, {"placeText", "old"}};
        if (row.service) {
            args["service"] = *row.service;
        }
        const Json reply = call("lookupPublicAddress", args);
        EXPECT_EQ(reply["result"], "203.0.113.7") << reply.dump();
        EXPECT_EQ(bytesOf(reply["out"]["placeText"]), row.place) << reply.dump();
    }
    // Without placeText nothing goes out.
    ASSERT_TRUE(standInFor(6).script({{{"body", "203.0.113.7\n"}}}));
    const Json reply = call("lookupPublicAddress", {{"root", root()}, {"service", 6}});
    EXPECT_EQ(reply["result"], "203.0.113.7");
    EXPECT_EQ(reply["out"], Json::object());
}

// ui.start answers when the lookup has ended, so "标签4" reads its final text.
TEST_F(LookupDriverTest, StartAnswersWithTheLocationLabelFilled) {
    RecordingHttpServer& server = standInFor(0);
    ASSERT_TRUE(server.script(framedReplies(server)));
    ASSERT_EQ(call("ui.start", {{"root", root()}})["result"], true);
    const Json label =
        call("ui.get", {{"window", "main"}, {"control", chars(label4)}, {"prop", "caption"}});
    EXPECT_EQ(bytesOf(label["result"]), operationOn + "203.0.113.7" + safelyDone);
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(LookupDriverTest, StartWithTheServiceRefusingShowsTwoSpaces) {
    pointLookupAt(0, "127.0.0.1:1");
    ASSERT_EQ(call("ui.start", {{"root", root()}})["result"], true);
    const Json label =
        call("ui.get", {{"window", "main"}, {"control", chars(label4)}, {"prop", "caption"}});
    EXPECT_EQ(bytesOf(label["result"]), operationOn + safelyDone);
}

}  // namespace
}  // namespace navoket::test
