#include "web/WebRequestInet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "tests/support/RecordingHttpServer.h"
#include "tests/web/ReplaceAll.h"

namespace navoket {
namespace {

using test::RecordingHttpServer;
using Json = nlohmann::json;

const std::string agentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";

using test::replaceAll;

class WebRequestInetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.ready());
        clearInetCookieStore();
    }

    // {host} stands for 127.0.0.1:PORT, {url} for the address requested.
    std::string expand(const std::string& pattern, const std::string& url) const {
        return replaceAll(replaceAll(pattern, "{url}", url), "{host}",
                          "127.0.0.1:" + std::to_string(m_server.port()));
    }

    RecordingHttpServer m_server;
};

struct RequestRow {
    const char* name;
    const char* path;
    std::function<void(InetRequestOptions&)> setUp;
    std::string expected;
};

// The whole request as the server receives it, byte for byte.
TEST_F(WebRequestInetTest, SendsTheRequestBlockByteForByte) {
    const RequestRow rows[] = {
        {"default POST, as a Windows stack sends it", "/guestbook/cbxx.php",
         [](InetRequestOptions& o) {
             o.method = 1;
             o.postText = "vessel=ABC";
         },
         "POST /guestbook/cbxx.php HTTP/1.1\r\nHost: {host}\r\nContent-Length: 10\r\n"
         "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n"
         "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\n\r\nvessel=ABC"},
        {"POST of code-page-936 bytes", "/guestbook/cbxx.php",
         [](InetRequestOptions& o) {
             o.method = 1;
             o.postText = "vessel=\xD6\xD0\xB9\xFA";
         },
         "POST /guestbook/cbxx.php HTTP/1.1\r\nHost: {host}\r\nContent-Length: 11\r\n" + agentLine +
             "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n"
             "Content-Type: application/x-www-form-urlencoded\r\n\r\nvessel=\xD6\xD0\xB9\xFA"},
        {"GET by default, path and query unchanged", "/Path/A?q=1&r=B", [](InetRequestOptions&) {},
         "GET /Path/A?q=1&r=B HTTP/1.1\r\nHost: {host}\r\n" + agentLine +
             "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n\r\n"},
        {"GET sends no body", "/g", [](InetRequestOptions& o) { o.postText = "a=1"; },
         "GET /g HTTP/1.1\r\nHost: {host}\r\n" + agentLine +
             "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n\r\n"},
        {"method 9 is GET", "/9",
         [](InetRequestOptions& o) {
             o.method = 9;
             o.postText = "a=1";
         },
         "GET /9 HTTP/1.1\r\nHost: {host}\r\n" + agentLine +
             "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n\r\n"},
        {"method -1 is GET", "/m", [](InetRequestOptions& o) { o.method = -1; },
         "GET /m HTTP/1.1\r\nHost: {host}\r\n" + agentLine +
             "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n\r\n"},
        {"agent and headers from extraHeaders, names fixed", "/ua",
         [](InetRequestOptions& o) {
             o.method = 1;
             o.postText = "a=1";
             o.extraHeaders = "user-agent: X\r\naccept: y";
         },
         "POST /ua HTTP/1.1\r\nHost: {host}\r\nContent-Length: 3\r\nUser-Agent: X\r\n"
         "Accept: y\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\n\r\na=1"},
        {"agent from the whole block without fixHeaderCase", "/ua2",
         [](InetRequestOptions& o) {
             o.extraHeaders = "user-agent: X\r\naccept: y";
             o.fixHeaderCase = false;
         },
         "GET /ua2 HTTP/1.1\r\nHost: {host}\r\nUser-Agent: X\r\naccept: y\r\n"
         "Referer: {url}\r\nAccept-Language: zh-cn\r\n\r\n"},
        {"a given content type is not doubled", "/ct",
         [](InetRequestOptions& o) {
             o.method = 1;
             o.postText = "t";
             o.extraHeaders = "content-type: text/plain";
         },
         "POST /ct HTTP/1.1\r\nHost: {host}\r\nContent-Length: 1\r\n" + agentLine +
             "Content-Type: text/plain\r\nAccept: */*\r\nReferer: {url}\r\n"
             "Accept-Language: zh-cn\r\n\r\nt"},
        {"completeHeaders false with cookies: only the Cookie line", "/c",
         [](InetRequestOptions& o) {
             static Text cookies;
             cookies = "a=1";
             o.completeHeaders = false;
             o.sendCookies = &cookies;
         },
         "GET /c HTTP/1.1\r\nHost: {host}\r\n" + agentLine + "Cookie: a=1\r\n\r\n"},
        {"a complete Cookie line is not prefixed again", "/c2",
         [](InetRequestOptions& o) {
             static Text cookies;
             cookies = "Cookie: a=1";
             o.sendCookies = &cookies;
         },
         "GET /c2 HTTP/1.1\r\nHost: {host}\r\n" + agentLine +
             "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\nCookie: a=1\r\n\r\n"},
        {"cookies supplied but empty: no Cookie line", "/c3",
         [](InetRequestOptions& o) {
             static Text cookies;
             cookies.clear();
             o.sendCookies = &cookies;
         },
         "GET /c3 HTTP/1.1\r\nHost: {host}\r\n" + agentLine +
             "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n\r\n"},
        {"PUT of binary postBytes", "/put",
         [](InetRequestOptions& o) {
             static Bytes bytes;
             bytes = std::string("\x00\x01z\xFF", 4);
             o.method = 3;
             o.postText = "ignored";
             o.postBytes = &bytes;
             o.completeHeaders = false;
         },
         "PUT /put HTTP/1.1\r\nHost: {host}\r\nContent-Length: 4\r\n" + agentLine +
             std::string("\r\n\x00\x01z\xFF", 6)},
        {"DELETE without a body has no Content-Length", "/d",
         [](InetRequestOptions& o) {
             o.method = 5;
             o.completeHeaders = false;
         },
         "DELETE /d HTTP/1.1\r\nHost: {host}\r\n" + agentLine + "\r\n"},
        {"OPTIONS with a body", "/o",
         [](InetRequestOptions& o) {
             o.method = 4;
             o.postText = "q";
             o.completeHeaders = false;
         },
         "OPTIONS /o HTTP/1.1\r\nHost: {host}\r\nContent-Length: 1\r\n" + agentLine + "\r\nq"},
        {"HEAD goes without a body", "/h",
         [](InetRequestOptions& o) {
             o.method = 2;
             o.postText = "q";
             o.completeHeaders = false;
         },
         "HEAD /h HTTP/1.1\r\nHost: {host}\r\n" + agentLine + "\r\n"},
        {"TRACE", "/t",
         [](InetRequestOptions& o) {
             o.method = 6;
             o.completeHeaders = false;
         },
         "TRACE /t HTTP/1.1\r\nHost: {host}\r\n" + agentLine + "\r\n"},
        {"CONNECT", "/k",
         [](InetRequestOptions& o) {
             o.method = 7;
             o.completeHeaders = false;
         },
         "CONNECT /k HTTP/1.1\r\nHost: {host}\r\n" + agentLine + "\r\n"},
        {"POST without a body still has Content-Length", "/e",
         [](InetRequestOptions& o) {
             o.method = 1;
             o.completeHeaders = false;
         },
         "POST /e HTTP/1.1\r\nHost: {host}\r\nContent-Length: 0\r\n" + agentLine + "\r\n"},
        {"extra header with an empty value is sent", "/x",
         [](InetRequestOptions& o) {
             o.extraHeaders = "x-empty:\r\nx-a: 1";
             o.completeHeaders = false;
         },
         "GET /x HTTP/1.1\r\nHost: {host}\r\n" + agentLine + "X-Empty:\r\nX-A: 1\r\n\r\n"},
    };
    for (const RequestRow& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(m_server.clear());
        const std::string url = m_server.url(row.path);
        InetRequestOptions options;
        row.setUp(options);
        InetOutcome outcome;
        options.outcome = &outcome;
        const Bytes body = webRequestInet(url, options);
        EXPECT_TRUE(outcome.replied) << outcome.failure;
        EXPECT_EQ(outcome.status, 200);
        EXPECT_EQ(body, std::string(row.path) == "/h" ? "" : "ok");
        const std::vector<std::string> requests = m_server.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0], expand(row.expected, url));
    }
}

TEST_F(WebRequestInetTest, PostBytesReceivesThePostText) {
    Bytes bytes;
    InetRequestOptions options;
    options.method = 1;
    options.postText = "vessel=A";
    options.postBytes = &bytes;
    webRequestInet(m_server.url("/"), options);
    EXPECT_EQ(bytes, "vessel=A");
}

}  // namespace
}  // namespace navoket
