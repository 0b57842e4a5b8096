#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lookup/LookupPublicAddress.h"
#include "tests/lookup/LookupFixture.h"
#include "text/CodePageText.h"

namespace navoket::test {
namespace {

using Json = nlohmann::json;

const std::string objectAgent =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";
const std::string winHttpAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
const std::string apiBrowserAgent =
    "User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/47.0.2526.80 Safari/537.36 Core/1.47.277.400 QQBrowser/9.4.7658.400\r\n";

using AddressServiceTest = LookupFixture;

// Without settings every service goes to its built-in host; a key of the
// section "Endpoints" moves the host and keeps scheme, path and query.
TEST_F(AddressServiceTest, BuildsEachServiceAddressFromItsHost) {
    const std::vector<std::pair<int, std::string>> rows = {
        {0, "http://www.ip138.com/"},
        {1, "http://pv.sohu.com/cityjson"},
        {2, "https://ip.zxinc.org/ip/qqwry/"},
        {3, "https://www.ip.cn/api/index?ip=&type=0"},
        {4, "https://ip.taobao.com/outGetIpInfo?ip=myip&accessKey=qorvex-tuln"},
        {5, "https://www.cip.cc/ip"},
        {6, "https://api.ip.sb/ip"},
        {7, "https://ipinfo.io/json"},
        {8, "http://www.ip138.com/"},
        {-1, "http://www.ip138.com/"},
    };
    for (const auto& [service, builtIn] : rows) {
        SCOPED_TRACE(service);
        EXPECT_EQ(addressServiceUrl(service), builtIn);
    }
    for (const auto& [service, builtIn] : rows) {
        SCOPED_TRACE(service);
        writeSetting("Endpoints", endpointKey(service), "127.0.0.9:8080");
        const std::string scheme = builtIn.substr(0, builtIn.find("//") + 2);
        const std::string pathAndQuery = builtIn.substr(builtIn.find('/', scheme.size()));
        EXPECT_EQ(addressServiceUrl(service), scheme + "127.0.0.9:8080" + pathAndQuery);
    }
}

struct ServiceRow {
    int service;
    std::string reply;        // the body, as bytes
    std::string requestLine;  // what the stand-in must receive
    std::string agentLine;    // the User-Agent line it must receive
    std::string address;      // expected, code page 936
    std::string place;        // expected, code page 936 unless the row reads raw bytes
};

// Each service with a reply in the layout its markers expect: the exact request
// line, the request operation (told by its User-Agent), the reading of the
// reply and the cut of address and place.
TEST_F(AddressServiceTest, AsksEachServiceAndCutsItsReply) {
    const std::vector<ServiceRow> rows = {
        // The service answers in code page 936, read without conversion.
        {1,
         "var returnCitySN = {\"cip\": \"203.0.113.7\", \"cid\": \"110000\", \"cname\": \"" +
             ansiText("北京市") + "\"};",
         "GET /cityjson HTTP/1.1", objectAgent, "203.0.113.7", ansiText("北京市")},
        {2,
         "{\"code\":0,\"ip\":\"203.0.113.7\",\"address\":\"\\u5317\\u4eac\\u5e02 "
         "\\u8054\\u901a\"}",
         "GET /ip/qqwry/ HTTP/1.1", objectAgent, "203.0.113.7", ansiText("北京市 联通")},
        {3,
         "{\"rs\":1,\"code\":0,\"address\":\"中国  北京市\",\"ip\":\"203.0.113.7\","
         "\"isDomain\":0}",
         "GET /api/index?ip=&type=0 HTTP/1.1", apiBrowserAgent, "203.0.113.7",
         ansiText("中国  北京市")},
        {4,
         "{\"data\":{\"ip\":\"203.0.113.7\",\"country\":\"中国\",\"region\":\"北京\","
         "\"city\":\"北京\"},\"code\":0}",
         "GET /outGetIpInfo?ip=myip&accessKey=qorvex-tuln HTTP/1.1", objectAgent, "203.0.113.7",
         ansiText("北京 北京")},
        // Everything behind the last "IP:", trailing markup included.
        {5, "<p>您的 IP:198.51.100.1</p><p>IP:203.0.113.7</p>\n", "GET /ip HTTP/1.1", objectAgent,
         "203.0.113.7</p>\n", ""},
        {6, "203.0.113.7\n", "GET /ip HTTP/1.1", objectAgent, "203.0.113.7", ""},
        {7, "{\n  \"ip\": \"203.0.113.7\",\n  \"city\": \"Beijing\"\n}", "GET /json HTTP/1.1",
         winHttpAgent, "203.0.113.7", ""},
    };
    for (const ServiceRow& row : rows) {
        SCOPED_TRACE(row.service);
        RecordingHttpServer& server = standInFor(row.service);
        ASSERT_TRUE(server.clear());
        ASSERT_TRUE(server.script({{{"body", row.reply}}}));
        Text place = "old place";
        EXPECT_EQ(lookupPublicAddress(&place, row.service), row.address);
        EXPECT_EQ(place, row.place);
        const std::vector<std::string> requests = server.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")), row.requestLine);
        EXPECT_NE(requests[0].find("\r\n" + row.agentLine), std::string::npos) << requests[0];
        // The only browser line is that of service 3.
        EXPECT_EQ(requests[0].find("Chrome/"),
                  row.service == 3 ? requests[0].find("Chrome/47") : std::string::npos);
    }
}

struct LayoutRow {
    const char* name;
    int service;
    Json reply;
    std::string address;
    std::string place;
};

// Replies in other layouts than the markers expect: empty texts wherever a
// marker is missing, whatever lies between markers found elsewhere.
TEST_F(AddressServiceTest, RepliesInUnexpectedLayouts) {
    const std::vector<LayoutRow> rows = {
        {"cityjson without its spaces",
         1,
         {{"body", "var returnCitySN = {\"cip\":\"203.0.113.7\",\"cid\":\"1\",\"cname\":\"x\"};"}},
         "",
         ""},
        {"cityjson cut after the address",
         1,
         {{"body", "{\"cip\": \"203.0.113.7\", \"cid\": \"1\", \"cname\": \"x"}},
         "203.0.113.7",
         ""},
        {"zero byte before the markers",
         1,
         {{"body", std::string("var a;") + '\0' + "{\"cip\": \"203.0.113.7\", \"cid\": \"1\"}"}},
         "",
         ""},
        {"error page instead of JSON",
         2,
         {{"status", "HTTP/1.1 502 Bad Gateway"}, {"body", "<html>502</html>"}},
         "",
         ""},
        {"member names not quoted", 3, {{"body", "{ip:\"203.0.113.7\",address:\"x\"}"}}, "", ""},
        {"status 500 with the expected body",
         3,
         {{"status", "HTTP/1.1 500 Internal Server Error"},
          {"body", "{\"ip\":\"203.0.113.7\",\"address\":\"x\"}"}},
         "203.0.113.7",
         "x"},
        {"no city: region and a space",
         4,
         {{"body", "{\"data\":{\"ip\":\"203.0.113.7\",\"region\":\"北京\"}}"}},
         "203.0.113.7",
         ansiText("北京 ")},
        {"access refused", 4, {{"body", "{\"code\":1,\"msg\":\"denied\"}"}}, "", " "},
        {"no IP: marker", 5, {{"body", "<p>203.0.113.7</p>"}}, "", ""},
        {"no line feed", 6, {{"body", "203.0.113.7"}}, "", ""},
        {"zero byte before the line feed",
         6,
         {{"body", std::string("203.0.113.7") + '\0' + "\n"}},
         "",
         ""},
        {"line feed first", 6, {{"body", "\n203.0.113.7\n"}}, "", ""},
        {"JSON without the space", 7, {{"body", "{\"ip\":\"203.0.113.7\"}"}}, "", ""},
        {"empty reply", 7, {{"body", ""}}, "", ""},
    };
    for (const LayoutRow& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingHttpServer& server = standInFor(row.service);
        ASSERT_TRUE(server.script({row.reply}));
        Text place = "old place";
        EXPECT_EQ(lookupPublicAddress(&place, row.service), row.address);
        EXPECT_EQ(place, row.place);
    }
}

}  // namespace
}  // namespace navoket::test
