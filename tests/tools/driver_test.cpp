#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"
#include "tests/tools/DriverSession.h"

namespace navoket::test {
namespace {

using Json = nlohmann::json;

// The driver's value rule: each character U+0000..U+00FF is one byte.
std::string chars(const std::string& bytes) {
    std::string utf8;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return utf8;
}

std::string bytesOf(const Json& value) {
    std::string bytes;
    const std::string utf8 = value.get<std::string>();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes.push_back(static_cast<char>(lead));
        } else {
            bytes.push_back(static_cast<char>(((lead & 0x03) << 6) | (utf8[++i] & 0x3F)));
        }
    }
    return bytes;
}

// Code-page-936 bytes of the texts the tests use.
const std::string zhong = "\xd6\xd0";                     // 中
const std::string configButton = "\xb0\xb4\xc5\xa5\x32";  // 按钮2
const std::string saveButton = "\xb0\xb4\xc5\xa5\x31";    // 按钮1

// Settings with only the address lookup's host, a loopback port that refuses,
// so that no ui.start reaches the internet; a first run stays a first run (the
// marker decides).
void keepLookupOnLoopback(const std::filesystem::path& root) {
    const std::filesystem::path folder = root / "Torvane" / "Navoket" / "Person";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "config.ini", std::ios::binary)
        << "[Endpoints]\r\nlookup0=127.0.0.1:1\r\n";
}

class DriverTest : public ::testing::Test {
protected:
    DriverTest() { keepLookupOnLoopback(folder.path()); }

    Json call(const std::string& name, Json args = Json::object()) {
        return driver.call({{"id", ++lastId}, {"call", name}, {"args", std::move(args)}});
    }
    std::string root() const { return folder.path().string(); }

    TempFolder folder;
    DriverSession driver;
    int lastId = 0;
};

struct TransportCase {
    const char* name;
    std::string line;
    Json id;
    const char* errorStart;
};

TEST_F(DriverTest, BadRequestsGetErrorRepliesAndTheDriverGoesOn) {
    const std::vector<TransportCase> cases = {
        {"malformed JSON", R"({"id": 1, "call": )", nullptr, "malformed JSON"},
        {"not an object", R"([1, 2])", nullptr, "a request is a JSON object"},
        {"nested too deeply", std::string(100000, '[') + std::string(100000, ']'), nullptr,
         "malformed JSON"},
        {"invalid UTF-8", "{\"id\": 2, \"call\": \"utf8ToAnsi\", \"args\": {\"text\": \"\xff\"}}",
         nullptr, "malformed JSON"},
        {"unknown call", R"({"id": "a", "call": "noSuchCall"})", "a", "unknown call"},
        {"no call", R"({"id": 3})", 3, "missing call"},
        {"char above U+00FF", R"({"id": 4, "call": "utf8ToAnsi", "args": {"text": "\u4e2d"}})", 4,
         "a character above U+00FF"},
        {"missing argument", R"({"id": 5, "call": "textBetween", "args": {"text": "x"}})", 5,
         "missing argument: left"},
        {"wrong type",
         R"({"id": 6, "call": "textBetween", "args": {"text": "x", "left": "a", "right": 1}})", 6,
         "argument right: expected text"},
        {"fraction for an integer",
         R"({"id": 7, "call": "textBetween", "args": {"text": "x", "left": "a", "right": "b", "start": 1.5}})",
         7, "argument start: expected integer"},
        {"unknown argument",
         R"({"id": 8, "call": "textToInteger", "args": {"text": "1", "base": 8}})", 8,
         "unknown argument: base"},
        {"args not an object", R"({"id": 9, "call": "textToInteger", "args": ["1"]})", 9,
         "args must be"},
        {"bad time", R"({"id": 10, "call": "currentTimeText", "args": {"time": "2026-12-09"}})", 10,
         "time:"},
        {"unknown window",
         R"({"id": 11, "call": "ui.get", "args": {"window": "main", "prop": "caption"}})", 11,
         "no open window"},
        {"empty root", R"({"id": 12, "call": "firstRunSetup", "args": {"root": ""}})", 12,
         "argument root"},
    };
    for (const TransportCase& test : cases) {
        SCOPED_TRACE(test.name);
        ASSERT_TRUE(driver.send(test.line));
        const Json reply = driver.readReply();
        ASSERT_TRUE(reply.is_object());
        EXPECT_EQ(reply["id"], test.id);
        EXPECT_FALSE(reply.contains("result"));
        EXPECT_EQ(reply["error"].get<std::string>().rfind(test.errorStart, 0), 0u)
            << reply["error"];
    }
    // An empty line is no request and gets no reply.
    ASSERT_TRUE(driver.send(std::string()));
    EXPECT_EQ(call("textToInteger", {{"text", " 42x"}})["result"], 42);
    driver.closeInput();
    EXPECT_EQ(driver.readLine(std::chrono::seconds(10)), std::nullopt);
    EXPECT_EQ(driver.waitForExit(), 0);
}

// Every byte goes in as one character and comes back with the escapes of the
// contract: \u00XX for 0x00-0x1F and 0x7F-0xFF, \" and \\, all else as is.
TEST_F(DriverTest, EveryByteRoundTripsWithTheReplyEscapes) {
    std::string every;
    for (int byte = 0; byte < 256; ++byte) {
        every.push_back(static_cast<char>(byte));
    }
    const std::string left = "\xfe\xfe\xfe";
    const std::string right = "\xff\xff\xff";
    const std::string payload = every + "x";
    ASSERT_TRUE(driver.send(Json{{"id", 1},
                                 {"call", "bytesBetween"},
                                 {"args",
                                  {{"bytes", chars(left + payload + right)},
                                   {"left", chars(left)},
                                   {"right", chars(right)}}}}));
    std::string expected = R"({"id":1,"result":")";
    for (const char c : payload) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            expected += escape;
        } else if (c == '"' || c == '\\') {
            expected += std::string("\\") + c;
        } else {
            expected += c;
        }
    }
    expected += R"(","out":{}})";
    EXPECT_EQ(driver.readLine(), expected);

    EXPECT_EQ(bytesOf(call("utf8ToAnsi", {{"text", chars("\xe4\xb8\xad")}})["result"]), zhong);
    EXPECT_EQ(bytesOf(call("ansiToUtf16", {{"text", chars(zhong)}})["result"]),
              std::string("\x2d\x4e\x00\x00", 4));
    EXPECT_EQ(call("textBetween",
                   {{"text", "<a><b>"}, {"left", "<"}, {"right", ">"}, {"start", 2}})["result"],
              "b");
    // A text ends at its first zero byte; a byte buffer goes on behind it.
    const std::string zeroInside("a\0<b>c</b>", 11);
    EXPECT_EQ(
        call("textBetween", {{"text", zeroInside}, {"left", "<b>"}, {"right", "</b>"}})["result"],
        "");
    EXPECT_EQ(call("textAfter", {{"text", std::string("k=v\0=w", 7)}, {"marker", "="}})["result"],
              "v");
    EXPECT_EQ(
        call("bytesBetween", {{"bytes", zeroInside}, {"left", "<b>"}, {"right", "</b>"}})["result"],
        "c");
}

// Drive C: always exists: a root folder that is missing is made, so that a
// first run on it stores its settings.
TEST_F(DriverTest, MissingRootFolderIsMade) {
    const std::string fresh = root() + "/not/yet";
    EXPECT_EQ(call("firstRunSetup", {{"root", fresh}})["result"], nullptr);
    EXPECT_EQ(
        call("readSetting", {{"root", fresh}, {"section", "Ship"}, {"key", "Name"}})["result"],
        "0");
    EXPECT_TRUE(std::filesystem::exists(fresh + "/Torvane/Navoket/run.txt"));
}

TEST_F(DriverTest, SettingsRegistryAndClockCalls) {
    EXPECT_EQ(
        call("readSetting", {{"root", root()}, {"section", "Ship"}, {"key", "Name"}})["result"],
        "");
    EXPECT_EQ(call("firstRunSetup", {{"root", root()}})["result"], nullptr);
    EXPECT_EQ(
        call("readSetting", {{"root", root()}, {"section", "Ship"}, {"key", "Name"}})["result"],
        "0");
    EXPECT_EQ(call("writeSetting", {{"root", root()},
                                    {"section", "Ship"},
                                    {"key", "Name"},
                                    {"value", chars(zhong + " 1")}})["result"],
              nullptr);
    EXPECT_EQ(bytesOf(call("readSetting",
                           {{"root", root()}, {"section", "Ship"}, {"key", "Name"}})["result"]),
              zhong + " 1");

    const std::string key =
        "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_GPU_RENDERING";
    const Json valueName = {{"root", root()}, {"key", key}, {"name", "navoket-driver"}};
    EXPECT_EQ(call("registryValue", valueName)["result"], nullptr);
    EXPECT_EQ(call("ui.start", {{"root", root()}})["result"], true);
    EXPECT_EQ(call("registryValue", valueName)["result"], 9999);

    const std::vector<std::pair<std::string, std::string>> times = {
        {"2026-12-09 18:05:07",
         "2026\xc4\xea\x31\x32\xd4\xc2\x39\xc8\xd5\x31\x38\xca\xb1\x35\xb7\xd6\x37\xc3\xeb"},
        {"2026-12-09 18:00:00", "2026\xc4\xea\x31\x32\xd4\xc2\x39\xc8\xd5\x31\x38\xca\xb1"},
        {"2026-01-01 00:00:00", "2026\xc4\xea\x31\xd4\xc2\x31\xc8\xd5"},
    };
    for (const auto& [time, text] : times) {
        SCOPED_TRACE(time);
        EXPECT_EQ(bytesOf(call("currentTimeText", {{"time", time}})["result"]), text);
    }
    // Formatting a given time leaves the clock alone: the window clock keeps
    // showing the real time.
    EXPECT_EQ(call("ui.wait", {{"ms", 1100}})["result"], true);
    const std::string clock =
        bytesOf(call("ui.get", {{"window", "main"},
                                {"control", chars("\xb1\xea\xc7\xa9\x33")},  // 标签3
                                {"prop", "caption"}})["result"]);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(clock.rfind(std::to_string(local.tm_year + 1900) + "\xc4\xea", 0), 0u) << clock;
}

// While "配置" waits in the modal settings window, the requests that work it
// are answered first; the click's own reply comes when the window has closed.
TEST_F(DriverTest, ClickOnConfigAnswersAfterTheModalWindowCloses) {
    ASSERT_EQ(call("firstRunSetup", {{"root", root()}})["result"], nullptr);
    ASSERT_EQ(call("ui.start", {{"root", root()}})["result"], true);
    const std::vector<Json> requests = {
        {{"id", "click"},
         {"call", "ui.click"},
         {"args", {{"window", "main"}, {"control", chars(configButton)}}}},
        {{"id", "windows"}, {"call", "ui.windows"}},
        {{"id", "type"},
         {"call", "ui.set"},
         {"args", {{"window", "settings"}, {"control", "name"}, {"text", "EVER GIVEN"}}}},
        {{"id", "blocked"},
         {"call", "ui.click"},
         {"args", {{"window", "main"}, {"control", chars(configButton)}}}},
        {{"id", "closeMain"}, {"call", "ui.close"}, {"args", {{"window", "main"}}}},
        {{"id", "save"},
         {"call", "ui.click"},
         {"args", {{"window", "settings"}, {"control", chars(saveButton)}}}},
        {{"id", "close"}, {"call", "ui.close"}, {"args", {{"window", "settings"}}}},
        {{"id", "after"}, {"call", "ui.windows"}},
    };
    for (const Json& request : requests) {
        ASSERT_TRUE(driver.send(request));
    }
    std::vector<Json> replies;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        replies.push_back(driver.readReply());
        ASSERT_TRUE(replies.back().is_object());
    }
    const std::vector<Json> order = {"windows", "type",  "blocked", "closeMain",
                                     "save",    "close", "click",   "after"};
    for (std::size_t i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(replies[i]["id"], order[i]);
    }
    EXPECT_EQ(replies[0]["result"], Json::array({"main", "settings"}));
    // The main window takes no input meanwhile, its close box included.
    EXPECT_EQ(replies[2]["result"], false);
    EXPECT_EQ(replies[3]["result"], false);
    EXPECT_EQ(replies[4]["result"], true);
    EXPECT_EQ(replies[6]["result"], true);
    EXPECT_EQ(replies[7]["result"], Json::array({"main"}));

    const Json boxes = call("ui.boxes")["result"];
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["title"], "Navoket");
    EXPECT_EQ(boxes[0]["flags"], 0x2040);
    EXPECT_EQ(call("ui.boxes")["result"], Json::array());
    EXPECT_EQ(
        call("readSetting", {{"root", root()}, {"section", "Ship"}, {"key", "Name"}})["result"],
        "EVER GIVEN");
}

// A first run opens the settings window inside ui.start, whose reply waits.
TEST_F(DriverTest, FirstRunStartAnswersAfterTheSettingsWindow) {
    ASSERT_TRUE(
        driver.send(Json{{"id", "start"}, {"call", "ui.start"}, {"args", {{"root", root()}}}}));
    ASSERT_TRUE(driver.send(Json{{"id", "caption"},
                                 {"call", "ui.get"},
                                 {"args", {{"window", "main"}, {"prop", "caption"}}}}));
    ASSERT_TRUE(driver.send(
        Json{{"id", "close"}, {"call", "ui.close"}, {"args", {{"window", "settings"}}}}));
    const Json caption = driver.readReply();
    EXPECT_EQ(caption["id"], "caption");
    // The caption of the design, as long as the creation handler waits.
    EXPECT_EQ(bytesOf(caption["result"]), "\xb4\xac\xc6\xda\xb1\xe4\xb6\xaf\xbc\xec\xb2\xe2");
    EXPECT_EQ(driver.readReply()["id"], "close");
    EXPECT_EQ(driver.readReply()["id"], "start");
    EXPECT_EQ(call("ui.get", {{"window", "main"}, {"prop", "caption"}})["result"], "Navoket 0.2");
    const Json boxes = call("ui.boxes")["result"];
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(bytesOf(boxes[0]["title"]), "\xca\xb9\xd3\xc3\xd0\xeb\xd6\xaa");  // 使用须知
}

// The end of input still answers a request that waits in a modal window (the
// window is closed for it); "exit" ends the driver at once.
TEST_F(DriverTest, EndOfInputAndExitEndTheDriver) {
    ASSERT_TRUE(driver.send(Json{{"id", 1}, {"call", "ui.start"}, {"args", {{"root", root()}}}}));
    driver.closeInput();
    EXPECT_EQ(driver.readReply()["result"], true);
    EXPECT_EQ(driver.waitForExit(), 0);

    const std::string secondRoot = root() + "/second";
    std::filesystem::create_directory(secondRoot);
    keepLookupOnLoopback(secondRoot);
    DriverSession second;
    ASSERT_TRUE(
        second.send(Json{{"id", 1}, {"call", "ui.start"}, {"args", {{"root", secondRoot}}}}));
    ASSERT_TRUE(second.send(Json{{"id", 2}, {"call", "exit"}}));
    EXPECT_EQ(second.readReply()["id"], 2);
    EXPECT_EQ(second.waitForExit(), 0);
}

}  // namespace
}  // namespace navoket::test
