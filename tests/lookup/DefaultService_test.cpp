#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lookup/LookupPublicAddress.h"
#include "tests/lookup/LookupFixture.h"
#include "text/CodePageText.h"

namespace navoket::test {
namespace {

const std::string pageBrowserAgent =
    "User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/50.0.2661.87 Safari/537.36\r\n";
const std::string objectAgent =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";

// The root page of the IP-display site, which embeds the result page.
std::string rootPage(const std::string& frameAddress) {
    return "<html><head><meta charset=\"utf-8\"><title>IP</title></head><body>\n"
           "<iframe src=\"" +
           frameAddress +
           "\" rel=\"nofollow\" frameborder=\"0\" scrolling=\"no\" width=\"100%\"></iframe>\n"
           "</body></html>";
}

// The result page, in UTF-8, with the place line as given.
std::string resultPage(const std::string& placeLine) {
    return "<html><head><meta charset=\"utf-8\"><title>您的IP地址是：203.0.113.7</title></head>"
           "<body style=\"margin:0\"><p align=\"center\">您的IP是：[203.0.113.7] " +
           placeLine + "</body></html>";
}

using DefaultServiceTest = LookupFixture;

// 0 and every value outside 1 to 7 ask the default service: the root page with
// the browser line, then the frame's page with the defaults; address and place
// come from the result page, converted from UTF-8.
TEST_F(DefaultServiceTest, AsksTheFramePageOfTheRootPage) {
    for (const int service : {0, 8, -1, 1000}) {
        SCOPED_TRACE(service);
        RecordingHttpServer& server = standInFor(service);
        ASSERT_TRUE(server.clear());
        ASSERT_TRUE(server.script({{{"body", rootPage(server.url("/ic.asp"))}},
                                   {{"body", resultPage("来自：北京市 联通\n</p>")}}}));
        Text place;
        EXPECT_EQ(lookupPublicAddress(&place, service), "203.0.113.7");
        EXPECT_EQ(place, ansiText("北京市 联通"));
        const std::vector<std::string> requests = server.requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")), "GET / HTTP/1.1");
        EXPECT_NE(requests[0].find("\r\n" + pageBrowserAgent), std::string::npos) << requests[0];
        EXPECT_EQ(requests[1].substr(0, requests[1].find("\r\n")), "GET /ic.asp HTTP/1.1");
        EXPECT_NE(requests[1].find("\r\n" + objectAgent), std::string::npos) << requests[1];
    }
}

struct FrameRow {
    const char* name;
    std::string frameAddress;  // {plain} and {tls} stand for the stand-ins' host:port
    bool secondOnTls;          // where the result page is asked; no second request when false
    bool secondRequest;
};

// The frame address is used as it is when it begins with "http" (HTTPS
// included); otherwise "http:" goes in front, which completes a
// protocol-relative address and spoils one written in capitals.
TEST_F(DefaultServiceTest, FrameAddressWithAndWithoutScheme) {
    const std::vector<FrameRow> rows = {
        {"with scheme", "http://{plain}/ic.asp", false, true},
        {"protocol-relative", "//{plain}/ic.asp", false, true},
        {"HTTPS", "https://{tls}/ic.asp", true, true},
        {"HTTP in capitals", "HTTP://{plain}/ic.asp", false, false},
        {"no scheme and no slashes", "{plain}/ic.asp", false, false},
        {"empty", "", false, false},
    };
    for (const FrameRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::string frame = row.frameAddress;
        for (const auto& [token, server] :
             {std::pair<std::string, RecordingHttpServer*>{"{plain}", &plain()},
              std::pair<std::string, RecordingHttpServer*>{"{tls}", &tls()}}) {
            if (const auto at = frame.find(token); at != std::string::npos) {
                frame.replace(at, token.size(), hostOf(*server));
            }
        }
        RecordingHttpServer& root = standInFor(0);
        RecordingHttpServer& second = row.secondOnTls ? tls() : plain();
        ASSERT_TRUE(root.clear() && second.clear());
        ASSERT_TRUE(root.script({{{"body", rootPage(frame)}}}));
        ASSERT_TRUE(second.script({{{"body", resultPage("来自：北京\n</p>")}}}));
        Text place = "old";
        const Text address = lookupPublicAddress(&place);
        EXPECT_EQ(address, row.secondRequest ? "203.0.113.7" : "");
        EXPECT_EQ(place, row.secondRequest ? ansiText("北京") : "");
        using Lines = std::vector<std::string>;
        if (row.secondOnTls) {
            EXPECT_EQ(requestLines(root), (Lines{"GET / HTTP/1.1"}));
            EXPECT_EQ(requestLines(second), (Lines{"GET /ic.asp HTTP/1.1"}));
        } else {
            const Lines expected = row.secondRequest
                                       ? Lines{"GET / HTTP/1.1", "GET /ic.asp HTTP/1.1"}
                                       : Lines{"GET / HTTP/1.1"};
            EXPECT_EQ(requestLines(root), expected);
        }
    }
}

struct PlaceRow {
    const char* name;
    std::string pageTail;  // what follows the address line of the result page
    std::string place;     // UTF-8
};

// The place runs from "来自：" to the next line feed that "</p>" follows at once.
TEST_F(DefaultServiceTest, PlaceEndsBeforeLineFeedAndParagraphEnd) {
    const std::vector<PlaceRow> rows = {
        {"ends before LF </p>", "来自：上海市 电信\n</p>", "上海市 电信"},
        {"a </p> on its own line does not end it", "来自：上海市</p>\n<p>电信\n</p>",
         "上海市</p>\n<p>电信"},
        {"LF with a space before </p>", "来自：上海市\n </p>", ""},
        {"CR LF before </p>", "来自：上海市\r\n</p>", "上海市\r"},
        {"no LF </p> at all", "来自：上海市</p>", ""},
        {"no 来自：", "上海市\n</p>", ""},
    };
    for (const PlaceRow& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingHttpServer& server = standInFor(0);
        ASSERT_TRUE(server.script(
            {{{"body", rootPage(server.url("/ic.asp"))}}, {{"body", resultPage(row.pageTail)}}}));
        Text place = "old";
        EXPECT_EQ(lookupPublicAddress(&place), "203.0.113.7");
        EXPECT_EQ(place, ansiText(row.place));
    }
}

// A root page without a frame asks "http:", which fails: both texts empty.
TEST_F(DefaultServiceTest, PageWithoutFrameGivesEmptyTexts) {
    RecordingHttpServer& server = standInFor(0);
    ASSERT_TRUE(server.script({{{"body", resultPage("来自：北京\n</p>")}}}));
    Text place = "old";
    EXPECT_EQ(lookupPublicAddress(&place), "");
    EXPECT_EQ(place, "");
    EXPECT_EQ(server.requests().size(), 1u);
}

}  // namespace
}  // namespace navoket::test
