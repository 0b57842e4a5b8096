#include "web/WebRequestWinHttp.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/RecordingHttpServer.h"
#include "tests/web/ReplaceAll.h"
#include "text/CodePageText.h"

namespace navoket {
namespace {

using test::RecordingHttpServer;
using Json = nlohmann::json;

const std::string defaultLines =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: identity\r\n"
    "Accept-Language: zh-cn\r\n";
const std::string cacheLine = "Cache-Control: no-cache\r\n";
const std::string formLine = "Content-Type: application/x-www-form-urlencoded\r\n";

using test::replaceAll;

// The first request of the recorded WinHttp capture, from its hex dump.
std::string recordedRequest() {
    std::ifstream file(NAVOKET_SHARED_DATA_DIR "/winhttp-request.txt", std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    const std::string text = content.str();
    const size_t hexStart = text.find("--- hex ---\n");
    const size_t hexEnd = text.find("--- end ---", hexStart);
    if (hexStart == std::string::npos || hexEnd == std::string::npos) {
        return {};
    }
    std::istringstream hex(text.substr(hexStart + 12, hexEnd - hexStart - 12));
    std::string bytes;
    for (std::string pair; hex >> pair;) {
        bytes += static_cast<char>(std::stoi(pair, nullptr, 16));
    }
    return bytes;
}

class WebRequestWinHttpTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.ready()); }
    std::string host() const { return "127.0.0.1:" + std::to_string(m_server.port()); }

    RecordingHttpServer m_server;
};

TEST_F(WebRequestWinHttpTest, DefaultRequestIsTheRecordedCapture) {
    const std::string recorded = recordedRequest();
    ASSERT_EQ(recorded.size(), 276u);
    Text status;
    WinHttpRequestOptions options;
    options.statusText = &status;
    EXPECT_EQ(webRequestWinHttp(m_server.url("/json"), options), "ok");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(m_server.requests(),
              std::vector<std::string>{replaceAll(recorded, "127.0.0.1:18931", host())});
}

// Over TLS with a self-signed certificate the same block goes inside.
TEST(WebRequestWinHttpTls, SecureDefaultRequestIgnoresCertificateErrors) {
    RecordingHttpServer::Options tls;
    tls.tls = true;
    RecordingHttpServer server(tls);
    ASSERT_TRUE(server.ready());
    Text status;
    WinHttpRequestOptions options;
    options.statusText = &status;
    EXPECT_EQ(webRequestWinHttp(server.url("/json"), options), "ok");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(server.requests(),
              std::vector<std::string>{replaceAll(recordedRequest(), "127.0.0.1:18931",
                                                  "127.0.0.1:" + std::to_string(server.port()))});
}

struct RequestRow {
    const char* name;
    const char* path;
    std::function<void(WinHttpRequestOptions&)> setUp;
    std::string expected;  // {host} stands for the server's host and port
};

TEST_F(WebRequestWinHttpTest, SendsTheHeaderBlockOfEachParameter) {
    static Text cookies;
    const std::string tail = "Host: {host}\r\nConnection: Keep-Alive\r\n\r\n";
    const RequestRow rows[] = {
        {"POST adds the form type and Content-Length", "/p",
         [](WinHttpRequestOptions& o) {
             o.method = 1;
             o.postText = "vessel=ABC";
         },
         "POST /p HTTP/1.1\r\n" + defaultLines + formLine + cacheLine +
             "Content-Length: 10\r\nHost: {host}\r\nConnection: Keep-Alive\r\n\r\nvessel=ABC"},
        {"a given content type in any case is not doubled", "/p",
         [](WinHttpRequestOptions& o) {
             o.method = 1;
             o.postText = "t";
             o.extraHeaders = "content-type: text/plain";
         },
         "POST /p HTTP/1.1\r\nContent-Type: text/plain\r\n" + defaultLines + cacheLine +
             "Content-Length: 1\r\nHost: {host}\r\nConnection: Keep-Alive\r\n\r\nt"},
        {"a GET carries its postText", "/g?q=1",
         [](WinHttpRequestOptions& o) { o.postText = "a=1"; },
         "GET /g?q=1 HTTP/1.1\r\n" + defaultLines + cacheLine +
             "Content-Length: 3\r\nHost: {host}\r\nConnection: Keep-Alive\r\n\r\na=1"},
        {"postBytes goes before postText, zero bytes included", "/b",
         [](WinHttpRequestOptions& o) {
             o.method = 3;
             o.postText = "text";
             o.postBytes = Bytes("\x01\x00\x02", 3);
         },
         "PUT /b HTTP/1.1\r\n" + defaultLines + cacheLine + "Content-Length: 3\r\n" + tail +
             std::string("\x01\x00\x02", 3)},
        {"method 8 is GET", "/8", [](WinHttpRequestOptions& o) { o.method = 8; },
         "GET /8 HTTP/1.1\r\n" + defaultLines + cacheLine + tail},
        {"method -1 is GET", "/m", [](WinHttpRequestOptions& o) { o.method = -1; },
         "GET /m HTTP/1.1\r\n" + defaultLines + cacheLine + tail},
        {"method 5 is DELETE", "/d", [](WinHttpRequestOptions& o) { o.method = 5; },
         "DELETE /d HTTP/1.1\r\n" + defaultLines + cacheLine + tail},
        {"extra headers first, names fixed, defaults after", "/x",
         [](WinHttpRequestOptions& o) { o.extraHeaders = "x-requested-with: 1\r\nuser-agent: U"; },
         "GET /x HTTP/1.1\r\nX-Requested-With: 1\r\nUser-Agent: U\r\n"
         "Accept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: identity\r\n"
         "Accept-Language: zh-cn\r\n" +
             cacheLine + tail},
        {"fixHeaderCase false keeps the names", "/f",
         [](WinHttpRequestOptions& o) {
             o.extraHeaders = "x-a: 1";
             o.completeHeaders = false;
             o.fixHeaderCase = false;
         },
         "GET /f HTTP/1.1\r\nx-a: 1\r\n" + tail},
        {"a keep-alive line is dropped", "/k",
         [](WinHttpRequestOptions& o) {
             o.extraHeaders = "Connection: keep-alive\r\nX-A: 1";
             o.completeHeaders = false;
         },
         "GET /k HTTP/1.1\r\nX-A: 1\r\n" + tail},
        {"Keep-Alive in another case stays, and the stack adds none", "/k",
         [](WinHttpRequestOptions& o) {
             o.extraHeaders = "Connection: Keep-Alive\r\nX-A: 1";
             o.completeHeaders = false;
         },
         "GET /k HTTP/1.1\r\nConnection: Keep-Alive\r\nX-A: 1\r\nHost: {host}\r\n\r\n"},
        {"a last keep-alive line has no CR LF after it and stays", "/k",
         [](WinHttpRequestOptions& o) {
             o.extraHeaders = "X-A: 1\r\nConnection: keep-alive";
             o.completeHeaders = false;
         },
         "GET /k HTTP/1.1\r\nX-A: 1\r\nConnection: keep-alive\r\nHost: {host}\r\n\r\n"},
        {"cookies get their own line", "/c",
         [](WinHttpRequestOptions& o) {
             cookies = "a=1";
             o.sendCookies = &cookies;
             o.completeHeaders = false;
             o.extraHeaders = "X-A: 1";
         },
         "GET /c HTTP/1.1\r\nX-A: 1\r\nCookie: a=1\r\n" + tail},
        {"a complete Cookie line is not prefixed again", "/c",
         [](WinHttpRequestOptions& o) {
             cookies = "Cookie: a=1";
             o.sendCookies = &cookies;
         },
         "GET /c HTTP/1.1\r\n" + defaultLines + "Cache-Control: no-cache\r\nCookie: a=1\r\n" +
             tail},
        {"a Cookie line in the extra headers wins", "/c",
         [](WinHttpRequestOptions& o) {
             cookies = "a=1";
             o.sendCookies = &cookies;
             o.extraHeaders = "cookie: b=2";
             o.completeHeaders = false;
         },
         "GET /c HTTP/1.1\r\nCookie: b=2\r\n" + tail},
        {"without normalisation the default lines keep their CR LF", "/n",
         [](WinHttpRequestOptions& o) {
             cookies = "a=1";
             o.sendCookies = &cookies;
             o.fixHeaderCase = false;
         },
         "GET /n HTTP/1.1\r\n" + defaultLines + cacheLine + "Cookie: a=1\r\n" + tail},
        {"an empty header value is sent", "/e",
         [](WinHttpRequestOptions& o) {
             o.extraHeaders = "X-Empty:";
             o.completeHeaders = false;
         },
         "GET /e HTTP/1.1\r\nX-Empty:\r\n" + tail},
        {"Basic server credentials go with the request", "/s",
         [](WinHttpRequestOptions& o) {
             o.userName = "u";
             o.password = "p:w";
             o.completeHeaders = false;
             o.extraHeaders = "X-A: 1";
         },
         "GET /s HTTP/1.1\r\nAuthorization: Basic dTpwOnc=\r\nX-A: 1\r\n" + tail},
        {"a user name without password sets no credentials", "/s",
         [](WinHttpRequestOptions& o) {
             o.userName = "u";
             o.completeHeaders = false;
             o.extraHeaders = "X-A: 1";
         },
         "GET /s HTTP/1.1\r\nX-A: 1\r\n" + tail},
    };
    for (const RequestRow& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(m_server.clear());
        Text status;
        WinHttpRequestOptions options;
        options.statusText = &status;
        row.setUp(options);
        EXPECT_EQ(webRequestWinHttp(m_server.url(row.path), options), "ok");
        EXPECT_EQ(status, "200 OK");
        EXPECT_EQ(m_server.requests(),
                  std::vector<std::string>{replaceAll(row.expected, "{host}", host())});
    }
}

TEST_F(WebRequestWinHttpTest, AnEmptyPathWithAQueryRequestsTheRoot) {
    EXPECT_EQ(webRequestWinHttp("http://" + host() + "?x=1"), "ok");
    const std::vector<std::string> requests = m_server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].substr(0, 16), "GET / HTTP/1.1\r\n");
}

TEST_F(WebRequestWinHttpTest, ReplyOutputsReplaceTheCallersValues) {
    const std::string page = "<html>captured</html>";
    ASSERT_TRUE(
        m_server.script({Json{{"status", "HTTP/1.1 404 Not Found"},
                              {"headers",
                               {"Content-Type: text/html", "Set-Cookie: sid=42; path=/; HttpOnly",
                                "Set-Cookie: t=1", "set-cookie: x=1"}},
                              {"body", page}}}));
    Text headers = "old";
    Text received = "old=1";
    Text status = "old";
    Text location = "kept";
    Bytes body = "old";
    WinHttpRequestOptions options;
    options.responseHeaders = &headers;
    options.receivedCookies = &received;
    options.statusText = &status;
    options.redirectLocation = &location;
    options.responseBody = &body;
    EXPECT_EQ(webRequestWinHttp(m_server.url("/"), options), page);
    EXPECT_EQ(headers,
              "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n"
              "Set-Cookie: sid=42; path=/; HttpOnly\r\nSet-Cookie: t=1\r\nset-cookie: x=1\r\n"
              "Content-Length: 21\r\n\r\n");
    EXPECT_EQ(received, "sid=42; t=1");
    EXPECT_EQ(status, "404 Not Found");
    EXPECT_EQ(location, "kept");
    EXPECT_EQ(body, page);
}

TEST_F(WebRequestWinHttpTest, CookiesCarryAcrossTwoRequests) {
    ASSERT_TRUE(m_server.script({Json{{"headers", {"Set-Cookie: sid=7; path=/"}}, {"body", "1"}},
                                 Json{{"headers", {"Set-Cookie: b=3"}}, {"body", "2"}}}));
    Text cookies = "a=1; b=2";
    Text received;
    WinHttpRequestOptions options;
    options.sendCookies = &cookies;
    options.receivedCookies = &received;
    options.completeHeaders = false;
    options.extraHeaders = "X-A: 1";
    EXPECT_EQ(webRequestWinHttp(m_server.url("/1"), options), "1");
    EXPECT_EQ(cookies, "sid=7; a=1; b=2");
    EXPECT_EQ(received, "sid=7; a=1; b=2");
    EXPECT_EQ(webRequestWinHttp(m_server.url("/2"), options), "2");
    EXPECT_EQ(cookies, "b=3; sid=7; a=1");
    const std::vector<std::string> requests = m_server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].find("\r\nCookie: a=1; b=2\r\n"), std::string::npos);
    EXPECT_NE(requests[1].find("\r\nCookie: sid=7; a=1; b=2\r\n"), std::string::npos);

    // Without merging the caller's set stays as it was.
    options.autoMergeCookies = false;
    ASSERT_TRUE(m_server.script({Json{{"headers", {"Set-Cookie: c=4"}}, {"body", "3"}}}));
    EXPECT_EQ(webRequestWinHttp(m_server.url("/3"), options), "3");
    EXPECT_EQ(cookies, "b=3; sid=7; a=1");
    EXPECT_EQ(received, "c=4");
}

TEST_F(WebRequestWinHttpTest, RedirectsAreFollowedUnlessNoRedirect) {
    const Json redirect{{"status", "HTTP/1.1 302 Found"},
                        {"headers", {"location: /next", "Set-Cookie: r=1"}},
                        {"body", "moved"}};
    ASSERT_TRUE(m_server.script({redirect, Json{{"body", "arrived"}}}));
    Text location = "none";
    Text status;
    WinHttpRequestOptions options;
    options.method = 1;
    options.postText = "a=1";
    options.redirectLocation = &location;
    options.statusText = &status;
    EXPECT_EQ(webRequestWinHttp(m_server.url("/start"), options), "arrived");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(location, "none");
    std::vector<std::string> requests = m_server.requests();
    ASSERT_EQ(requests.size(), 2u);
    // 302 turns the POST into a GET without body; the headers stay.
    EXPECT_EQ(requests[1], "GET /next HTTP/1.1\r\n" + defaultLines + formLine + cacheLine +
                               "Host: " + host() + "\r\nConnection: Keep-Alive\r\n\r\n");

    ASSERT_TRUE(m_server.clear());
    ASSERT_TRUE(m_server.script({redirect}));
    options.noRedirect = true;
    EXPECT_EQ(webRequestWinHttp(m_server.url("/start"), options), "moved");
    EXPECT_EQ(status, "302 Found");
    EXPECT_EQ(location, "/next");
    EXPECT_EQ(m_server.requests().size(), 1u);
}

struct CharsetRow {
    const char* name;
    std::string body;
    std::string expected;
};

// The page's own declaration in its first 1024 bytes decides; the text comes
// back in code page 936.
TEST_F(WebRequestWinHttpTest, DecodesTheDeclaredCharset) {
    const std::string zhongUtf8 = "\xE4\xB8\xAD";
    const std::string zhongGbk = "\xD6\xD0";
    const std::string longName(500, 'q');
    const CharsetRow rows[] = {
        {"utf-8", "<meta charset=\"utf-8\">" + zhongUtf8, "<meta charset=\"utf-8\">" + zhongGbk},
        {"UTF-8 in a content attribute",
         "<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">" + zhongUtf8,
         "<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">" + zhongGbk},
        {"gbk read as it is", "<meta charset=gbk>" + zhongGbk, "<meta charset=gbk>" + zhongGbk},
        {"gb2312 read as it is, even when not GBK", "<meta charset='gb2312'>" + zhongUtf8,
         "<meta charset='gb2312'>" + zhongUtf8},
        {"GBK goes through the converter", "<meta charset=\"GBK\">" + zhongGbk,
         "<meta charset=\"GBK\">" + zhongGbk},
        {"big5", "<meta charset=\"big5\">\xA4\xA4", "<meta charset=\"big5\">" + zhongGbk},
        {"an unknown charset leaves the text", "<meta charset=\"x-nowhere\">" + zhongUtf8,
         "<meta charset=\"x-nowhere\">" + zhongUtf8},
        {"a charset name of 500 characters is unknown", "<meta charset=" + longName + ">\xC3\xA9",
         "<meta charset=" + longName + ">\xC3\xA9"},
        {"a declaration after the first 1024 bytes is not seen",
         std::string(1020, ' ') + "<meta charset=\"utf-8\">" + zhongUtf8,
         std::string(1020, ' ') + "<meta charset=\"utf-8\">" + zhongUtf8},
        {"no declaration", zhongUtf8, zhongUtf8},
        {"the text ends at a zero byte", std::string("ab\0cd", 5), "ab"},
        {"a leading byte-order mark goes, and ? stands for what code page 936 lacks",
         "\xEF\xBB\xBF <meta charset=utf-8>\xF0\x9F\x98\x80\xE2\x82\xAC",
         " <meta charset=utf-8>??\x80"},
    };
    for (const CharsetRow& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(m_server.script({Json{{"body", row.body}}}));
        Bytes raw;
        WinHttpRequestOptions options;
        options.responseBody = &raw;
        EXPECT_EQ(webRequestWinHttp(m_server.url("/page"), options), row.expected);
        EXPECT_EQ(raw, row.body);
    }
}

TEST(NamedHeaderValue, TakesTheFirstLineThatBeginsWithTheName) {
    struct Row {
        const char* block;
        const char* name;
        const char* expected;
    };
    const Row rows[] = {
        {"Connection: keep-alive\r\nX: 1", "Connection", "keep-alive"},
        {"X: 1\r\nConnection: close\r\nConnection: keep-alive", "Connection", "close"},
        {"connection: keep-alive", "Connection", ""},
        {"Connection-Extra: a\r\nConnection: b", "Connection", ""},
        {"Connection: a Connection: b", "Connection", "b"},
        {"Connection:nospace", "Connection", ""},
        {"", "Connection", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.block);
        EXPECT_EQ(namedHeaderValue(row.block, row.name), row.expected);
    }
}

}  // namespace
}  // namespace navoket
