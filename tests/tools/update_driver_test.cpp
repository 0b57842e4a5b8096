#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "tests/support/RecordingHttpServer.h"
#include "tests/support/TempFolder.h"
#include "tests/tools/DriverSession.h"
#include "tests/tools/DriverTexts.h"

namespace navoket::test {
namespace {

using Json = nlohmann::json;

// Code-page-936 bytes of the texts the tests use.
const std::string checkButton = "\xb0\xb4\xc5\xa5\x31";  // 按钮1
const std::string label1 = "\xb1\xea\xc7\xa9\x31";       // 标签1
const std::string label2 = "\xb1\xea\xc7\xa9\x32";       // 标签2
const std::string label3 = "\xb1\xea\xc7\xa9\x33";       // 标签3
const std::string newerVersion =                         // 当前存在最新版本
    "\xb5\xb1\xc7\xb0\xb4\xe6\xd4\xda\xd7\xee\xd0\xc2\xb0\xe6\xb1\xbe";
const std::string noNewerVersion =  // 当前没有最新版本
    "\xb5\xb1\xc7\xb0\xc3\xbb\xd3\xd0\xd7\xee\xd0\xc2\xb0\xe6\xb1\xbe";
const std::string cannotCheck =  // 无法查找最新版本
    "\xce\xde\xb7\xa8\xb2\xe9\xd5\xd2\xd7\xee\xd0\xc2\xb0\xe6\xb1\xbe";
const std::string noVersionRead =  // 没有获取到最新版本。
    "\xc3\xbb\xd3\xd0\xbb\xf1\xc8\xa1\xb5\xbd\xd7\xee\xd0\xc2\xb0\xe6\xb1\xbe\xa1\xa3";
const std::string detailStart =  // 当前您的版本为 0.2 。然而，从服务器上获取的最新版本是
    "\xb5\xb1\xc7\xb0\xc4\xfa\xb5\xc4\xb0\xe6\xb1\xbe\xce\xaa 0.2 \xa1\xa3\xc8\xbb\xb6\xf8\xa3\xac"
    "\xb4\xd3\xb7\xfe\xce\xf1\xc6\xf7\xc9\xcf\xbb\xf1\xc8\xa1\xb5\xc4\xd7\xee\xd0\xc2\xb0\xe6\xb1"
    "\xbe\xca\xc7 ";
const std::string detailEnd = " \xa1\xa3";                                // " 。"
const std::string downloadDone = "\xcf\xc2\xd4\xd8\xcd\xea\xb3\xc9";      // 下载完成
const std::string savedAs = "\xa3\xac\xd2\xd1\xb1\xa3\xb4\xe6\xce\xaa ";  // ，已保存为

// Sets the driver's test trust before the driver starts, and takes it away.
struct TrustEnvironment {
    explicit TrustEnvironment(const std::filesystem::path& pemFile) {
        ::setenv("NAVOKET_DRIVER_CA_FILE", pemFile.c_str(), 1);
    }
    ~TrustEnvironment() { ::unsetenv("NAVOKET_DRIVER_CA_FILE"); }
    TrustEnvironment(const TrustEnvironment&) = delete;
    TrustEnvironment& operator=(const TrustEnvironment&) = delete;
};

// A driver that trusts the certificate of an HTTPS download server made at
// test time, with the program's settings pointing at that server.
class UpdateDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready());
        ASSERT_TRUE(driver.started());
        call("firstRunSetup", {{"root", root()}});
        call("writeSetting", {{"root", root()},
                              {"section", "Endpoints"},
                              {"key", "update"},
                              {"value", "127.0.0.1:" + std::to_string(server.port())}});
        // The main window's address lookup stays on a refusing loopback port.
        call("writeSetting", {{"root", root()},
                              {"section", "Endpoints"},
                              {"key", "lookup0"},
                              {"value", "127.0.0.1:1"}});
        ASSERT_EQ(call("ui.start", {{"root", root()}})["result"], true);
    }

    Json call(const std::string& name, Json args = Json::object()) {
        return driver.call({{"id", ++lastId}, {"call", name}, {"args", std::move(args)}});
    }
    Json get(const std::string& control, const std::string& prop) {
        Json args{{"window", "update"}, {"prop", prop}};
        if (!control.empty()) {
            args["control"] = chars(control);
        }
        return call("ui.get", args)["result"];
    }
    // "检测更新" answers only when the update window has closed.
    void openUpdateWindow() {
        ASSERT_TRUE(driver.clickOpeningModal("main", chars(checkButton)));
        ASSERT_EQ(call("ui.windows")["result"], (Json{"main", "update"}));
    }
    void closeUpdateWindow() {
        auto replies = driver.closeModalWindow("update");
        EXPECT_EQ(replies["open"], true);
        EXPECT_EQ(replies["close"], true);
    }
    std::string root() const { return folder.path().string(); }

    TempFolder folder;
    std::filesystem::path certificate = folder.path() / "server.pem";
    TrustEnvironment trust{certificate};
    RecordingHttpServer server{{.tls = true, .certificateOut = certificate.string()}};
    DriverSession driver;
    int lastId = 0;
};

TEST_F(UpdateDriverTest, OfferedUpdateDownloadsUnderTheRoot) {
    ASSERT_TRUE(server.script({{{"body", "0.3"}}, {{"body", "0.3"}}, {{"bodySize", 200000}}}));
    openUpdateWindow();
    EXPECT_EQ(bytesOf(get(label1, "caption")), newerVersion);
    EXPECT_EQ(get(label1, "colour"), 255);
    EXPECT_EQ(bytesOf(get(label2, "caption")), detailStart + "0.3" + detailEnd);
    EXPECT_EQ(get("a", "visible"), true);
    EXPECT_EQ(get("b", "visible"), true);
    EXPECT_EQ(get("", "height"), 172);

    EXPECT_EQ(call("ui.click", {{"window", "update"}, {"control", "b"}})["result"], true);
    EXPECT_EQ(get("d", "address"),
              "https://127.0.0.1:" + std::to_string(server.port()) + "/navoket/navoket.exe");
    EXPECT_EQ(call("ui.boxes")["result"].size(), 1U);
    for (int wait = 0; wait < 400 && !bytesOf(get(label3, "caption")).starts_with(downloadDone);
         ++wait) {
        call("ui.wait", {{"ms", 50}});
    }
    const std::filesystem::path saved = folder.path() / "Downloads" / "navoket.exe";
    EXPECT_EQ(bytesOf(get(label3, "caption")), downloadDone + savedAs + saved.string());
    std::ifstream file(saved, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), std::string(200000, 'x'));
    closeUpdateWindow();
}

// The same version, and a version file that cannot be read, offer nothing.
TEST_F(UpdateDriverTest, NoOfferWithoutANewerVersion) {
    const struct {
        const char* name;
        Json reply;
        std::string verdict;
        unsigned colour;
        std::string detail;
    } cases[] = {
        {"same version",
         {{"body", "0.2"}},
         noNewerVersion,
         0xC06000,
         detailStart + "0.2" + detailEnd},
        {"not found",
         {{"status", "HTTP/1.1 404 Not Found"}, {"body", "0.3"}},
         cannotCheck,
         0,
         noVersionRead},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(server.script({c.reply, c.reply}));
        openUpdateWindow();
        EXPECT_EQ(bytesOf(get(label1, "caption")), c.verdict);
        EXPECT_EQ(get(label1, "colour"), c.colour);
        EXPECT_EQ(bytesOf(get(label2, "caption")), c.detail);
        EXPECT_EQ(get("a", "visible"), false);
        EXPECT_EQ(get("b", "visible"), false);
        EXPECT_EQ(get("", "height"), 134);
        closeUpdateWindow();
        ASSERT_TRUE(server.clear());
    }
}

}  // namespace
}  // namespace navoket::test
