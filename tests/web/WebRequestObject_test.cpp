#include "web/WebRequestObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/RecordingHttpServer.h"
#include "tests/web/ReplaceAll.h"

namespace navoket {
namespace {

using test::RecordingHttpServer;
using Json = nlohmann::json;

const std::string objectAgent =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";
const std::string ownAgent =
    "User-Agent: Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)\r\n";

using test::replaceAll;

class WebRequestObjectTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.ready()); }
    std::string expand(const std::string& pattern, const std::string& url) const {
        return replaceAll(replaceAll(pattern, "{url}", url), "{host}",
                          "127.0.0.1:" + std::to_string(m_server.port()));
    }

    RecordingHttpServer m_server;
};

struct RequestRow {
    const char* name;
    const char* path;
    std::function<void(ObjectRequestOptions&)> setUp;
    std::string expected;  // {host}: the server's host and port, {url}: the address
};

TEST_F(WebRequestObjectTest, SendsTheHeaderBlockOfEachParameter) {
    static Text cookies;
    const std::string tail = "Host: {host}\r\nConnection: Keep-Alive\r\n\r\n";
    const std::string defaults =
        "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n" + objectAgent;
    const RequestRow rows[] = {
        {"all parameters left out", "/json?a=1", [](ObjectRequestOptions&) {},
         "GET /json?a=1 HTTP/1.1\r\n" + defaults + tail},
        {"POST adds the form type", "/p",
         [](ObjectRequestOptions& o) {
             o.method = 1;
             o.postText = "vessel=ABC";
         },
         "POST /p HTTP/1.1\r\n" + defaults +
             "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 10\r\n" + tail +
             "vessel=ABC"},
        {"a GET sends its postText", "/g", [](ObjectRequestOptions& o) { o.postText = "a=1"; },
         "GET /g HTTP/1.1\r\n" + defaults + "Content-Length: 3\r\n" + tail + "a=1"},
        {"postBytes before postText", "/b",
         [](ObjectRequestOptions& o) {
             o.method = 3;
             o.postText = "t";
             o.postBytes = Bytes("\x00\x01", 2);
         },
         "PUT /b HTTP/1.1\r\n" + defaults + "Content-Length: 2\r\n" + tail +
             std::string("\x00\x01", 2)},
        {"method 9 is GET", "/9", [](ObjectRequestOptions& o) { o.method = 9; },
         "GET /9 HTTP/1.1\r\n" + defaults + tail},
        {"a given agent replaces the default", "/ua",
         [](ObjectRequestOptions& o) { o.extraHeaders = "user-agent: X"; },
         "GET /ua HTTP/1.1\r\nAccept: */*\r\nUser-Agent: X\r\nReferer: {url}\r\n"
         "Accept-Language: zh-cn\r\n" +
             tail},
        {"fixHeaderCase false keeps the names", "/f",
         [](ObjectRequestOptions& o) {
             o.extraHeaders = "x-a: 1";
             o.fixHeaderCase = false;
         },
         "GET /f HTTP/1.1\r\nAccept: */*\r\nx-a: 1\r\nReferer: {url}\r\nAccept-Language: "
         "zh-cn\r\n" +
             objectAgent + tail},
        {"a single keep-alive line is set", "/k",
         [](ObjectRequestOptions& o) {
             o.extraHeaders = "Connection: keep-alive";
             o.completeHeaders = false;
         },
         "GET /k HTTP/1.1\r\nAccept: */*\r\nConnection: keep-alive\r\n" + ownAgent +
             "Host: {host}\r\n\r\n"},
        {"keep-alive among several lines is skipped", "/k",
         [](ObjectRequestOptions& o) {
             o.extraHeaders = "Connection: keep-alive\r\nX-A: 1";
             o.completeHeaders = false;
         },
         "GET /k HTTP/1.1\r\nAccept: */*\r\nX-A: 1\r\n" + ownAgent + tail},
        {"a Cookie: marker is cut from the cookies", "/c",
         [](ObjectRequestOptions& o) {
             cookies = "Cookie: a=1";
             o.sendCookies = &cookies;
             o.autoMergeCookies = false;
         },
         "GET /c HTTP/1.1\r\nAccept: */*\r\nCookie:  a=1\r\nReferer: {url}\r\n"
         "Accept-Language: zh-cn\r\n" +
             objectAgent + tail},
        {"supplied but empty cookies send an empty Cookie header", "/c",
         [](ObjectRequestOptions& o) {
             cookies.clear();
             o.sendCookies = &cookies;
         },
         "GET /c HTTP/1.1\r\nAccept: */*\r\nCookie:\r\nReferer: {url}\r\nAccept-Language: "
         "zh-cn\r\n" +
             objectAgent + tail},
        {"proxy credentials without a proxy do nothing", "/n",
         [](ObjectRequestOptions& o) {
             o.proxyUser = "u";
             o.proxyPassword = "p";
         },
         "GET /n HTTP/1.1\r\n" + defaults + tail},
    };
    for (const RequestRow& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(m_server.clear());
        const std::string url = m_server.url(row.path);
        int status = -1;
        ObjectRequestOptions options;
        options.statusCode = &status;
        row.setUp(options);
        EXPECT_EQ(webRequestObject(url, options), "ok");
        EXPECT_EQ(status, 200);
        EXPECT_EQ(m_server.requests(), std::vector<std::string>{expand(row.expected, url)});
    }
    EXPECT_EQ(cookies, "");
}

TEST_F(WebRequestObjectTest, CookieMarkerIsCutFromTheCallersVariable) {
    Text cookies = "Cookie: a=1";
    ObjectRequestOptions options;
    options.sendCookies = &cookies;
    options.autoMergeCookies = false;
    webRequestObject(m_server.url("/"), options);
    EXPECT_EQ(cookies, " a=1");
    options.autoMergeCookies = true;
    cookies = "Cookie: a=1";
    webRequestObject(m_server.url("/"), options);
    EXPECT_EQ(cookies, "a=1");
}

TEST_F(WebRequestObjectTest, ReplyOutputsAndCookiesAcrossTwoRequests) {
    ASSERT_TRUE(m_server.script(
        {Json{{"status", "HTTP/1.1 404 Not Found"},
              {"headers", {"Set-Cookie: sid=7; path=/", "Set-Cookie: t=1", "set-cookie: x=1"}},
              {"body", "missing"}},
         Json{{"headers", {"Set-Cookie: t=2"}}, {"body", "second"}}}));
    Text received = "old=1";
    Text headers = "old";
    int status = 0;
    ObjectRequestOptions options;
    options.receivedCookies = &received;
    options.responseHeaders = &headers;
    options.statusCode = &status;
    EXPECT_EQ(webRequestObject(m_server.url("/1"), options), "missing");
    EXPECT_EQ(received, "sid=7; t=1");
    EXPECT_EQ(status, 404);
    EXPECT_EQ(headers,
              "Set-Cookie: sid=7; path=/\r\nSet-Cookie: t=1\r\nset-cookie: x=1\r\n"
              "Content-Length: 7\r\n\r\n");

    // One variable carries the conversation's cookies.
    Text cookies = received;
    options.sendCookies = &cookies;
    EXPECT_EQ(webRequestObject(m_server.url("/2"), options), "second");
    EXPECT_EQ(cookies, "t=2; sid=7");
    EXPECT_EQ(received, "t=2; sid=7");
    const std::vector<std::string> requests = m_server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].find("Cookie"), std::string::npos);
    EXPECT_NE(requests[1].find("\r\nCookie: sid=7; t=1\r\n"), std::string::npos);
}

TEST_F(WebRequestObjectTest, RedirectsAreFollowedUnlessNoRedirect) {
    const Json redirect{{"status", "HTTP/1.1 301 Moved Permanently"},
                        {"headers", {"Location: /next"}},
                        {"body", "moved"}};
    ASSERT_TRUE(m_server.script({redirect, Json{{"body", "arrived"}}, redirect}));
    int status = 0;
    Text headers;
    ObjectRequestOptions options;
    options.statusCode = &status;
    options.responseHeaders = &headers;
    EXPECT_EQ(webRequestObject(m_server.url("/start"), options), "arrived");
    EXPECT_EQ(status, 200);
    options.noRedirect = true;
    EXPECT_EQ(webRequestObject(m_server.url("/start"), options), "moved");
    EXPECT_EQ(status, 301);
    EXPECT_EQ(headers.substr(0, 18), "Location: /next\r\nC");
    EXPECT_EQ(m_server.requests().size(), 3u);
}

TEST(WebRequestObjectFailure, NoReplyGivesEmptyOutputs) {
    int port = 0;
    {
        RecordingHttpServer gone;
        port = gone.port();
    }
    RecordingHttpServer silent;
    ASSERT_TRUE(silent.ready());
    ASSERT_TRUE(silent.script({Json{{"silent", true}}}));
    const struct {
        const char* name;
        std::string url;
        int timeoutSeconds;
    } rows[] = {
        {"refused", "http://127.0.0.1:" + std::to_string(port) + "/", 0},
        {"name not resolved", "http://nonexistent.invalid/", 0},
        {"an address Open refuses", "127.0.0.1/no-scheme", 0},
        {"silence past the time-out", silent.url("/"), 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Text headers = "old";
        Text received = "old=1";
        int status = -1;
        ObjectRequestOptions options;
        options.responseHeaders = &headers;
        options.receivedCookies = &received;
        options.statusCode = &status;
        options.timeoutSeconds = row.timeoutSeconds;
        EXPECT_EQ(webRequestObject(row.url, options), "");
        EXPECT_EQ(headers, "");
        EXPECT_EQ(received, "");
        EXPECT_EQ(status, 0);
    }
}

TEST(WebRequestObjectBadInput, LargeRepliesStayBounded) {
    RecordingHttpServer server;
    ASSERT_TRUE(server.ready());
    const size_t tenMiB = 10u * 1024 * 1024;
    ASSERT_TRUE(
        server.script({Json{{"bodySize", tenMiB}},
                       Json{{"headers", std::vector<std::string>(
                                            16 * 1024, "X-Filler: " + std::string(54, 'f'))}}}));
    int status = 0;
    ObjectRequestOptions options;
    options.statusCode = &status;
    EXPECT_EQ(webRequestObject(server.url("/ten"), options).size(), tenMiB);
    EXPECT_EQ(status, 200);
    // A reply head of 1 MiB is refused like WinHttp's, over 64 KiB: no reply.
    EXPECT_EQ(webRequestObject(server.url("/head"), options), "");
    EXPECT_EQ(status, 0);
}

// A caller's object that records the members called on it.
class RecordingObject : public RequestObject {
public:
    std::vector<std::string> calls;

    bool setTimeouts(int resolve, int connect, int send, int receive) override {
        calls.push_back("setTimeouts " + std::to_string(resolve) + " " + std::to_string(connect) +
                        " " + std::to_string(send) + " " + std::to_string(receive));
        return RequestObject::setTimeouts(resolve, connect, send, receive);
    }
    bool setProxy(int setting, const Text& server, const Text& bypass) override {
        calls.push_back("setProxy " + std::to_string(setting) + " " + server);
        return RequestObject::setProxy(setting, server, bypass);
    }
    bool open(const Text& method, const Text& url, bool async) override {
        calls.push_back("open " + method + (async ? " async" : " sync"));
        return RequestObject::open(method, url, async);
    }
    bool setOption(int option, long value) override {
        calls.push_back("setOption " + std::to_string(option) + " " + std::to_string(value));
        return RequestObject::setOption(option, value);
    }
    bool setCredentials(const Text& user, const Text& password, int flags) override {
        calls.push_back("setCredentials " + user + " " + password + " " + std::to_string(flags));
        return RequestObject::setCredentials(user, password, flags);
    }
    bool setRequestHeader(const Text& name, const Text& value) override {
        if (name != "Referer") {
            calls.push_back("setRequestHeader " + name + ": " + value);
        }
        return RequestObject::setRequestHeader(name, value);
    }
    bool send(const Bytes& body) override {
        calls.push_back("send " + body);
        return RequestObject::send(body);
    }
};

TEST(WebRequestObjectMembers, CallsTheMembersInOrderWithTheirValues) {
    RecordingHttpServer server;
    ASSERT_TRUE(server.ready());
    const std::vector<std::string> headers = {
        "setRequestHeader Accept: */*", "setRequestHeader Accept-Language: zh-cn",
        "setRequestHeader User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"};
    const auto with = [](std::vector<std::string> calls, const std::vector<std::string>& more) {
        calls.insert(calls.end(), more.begin(), more.end());
        return calls;
    };
    const std::string proxy = "127.0.0.1:" + std::to_string(server.port());
    const struct {
        const char* name;
        std::function<void(ObjectRequestOptions&)> setUp;
        std::vector<std::string> expected;
    } rows[] = {
        {"all left out", [](ObjectRequestOptions&) {},
         with({"setTimeouts 15000 15000 15000 15000", "open GET sync", "setOption 4 13056"},
              with(headers, {"send "}))},
        {"30 seconds", [](ObjectRequestOptions& o) { o.timeoutSeconds = 30; },
         with({"setTimeouts 30000 30000 30000 30000", "open GET sync", "setOption 4 13056"},
              with(headers, {"send "}))},
        {"-1 keeps the object's time-outs", [](ObjectRequestOptions& o) { o.timeoutSeconds = -1; },
         with({"open GET sync", "setOption 4 13056"}, with(headers, {"send "}))},
        {"-5 is the default", [](ObjectRequestOptions& o) { o.timeoutSeconds = -5; },
         with({"setTimeouts 15000 15000 15000 15000", "open GET sync", "setOption 4 13056"},
              with(headers, {"send "}))},
        {"noRedirect, POST",
         [](ObjectRequestOptions& o) {
             o.noRedirect = true;
             o.method = 1;
             o.postText = "a=1";
         },
         with({"setTimeouts 15000 15000 15000 15000", "open POST sync", "setOption 6 0",
               "setOption 4 13056"},
              with(headers, {"setRequestHeader Content-Type: application/x-www-form-urlencoded",
                             "send a=1"}))},
        {"proxy with credentials for the proxy",
         [&proxy](ObjectRequestOptions& o) {
             o.proxy = proxy;
             o.proxyUser = "u";
             o.proxyPassword = "p";
         },
         with({"setTimeouts 15000 15000 15000 15000", "setProxy 2 " + proxy, "open GET sync",
               "setOption 4 13056", "setCredentials u p 1",
               "setRequestHeader Proxy-Authorization: Basic dTpw"},
              with(headers, {"send "}))},
        {"proxy with credentials for the server",
         [&proxy](ObjectRequestOptions& o) {
             o.proxy = proxy;
             o.proxyUser = "u";
             o.proxyPassword = "p";
             o.credentialTarget = 0;
         },
         with({"setTimeouts 15000 15000 15000 15000", "setProxy 2 " + proxy, "open GET sync",
               "setOption 4 13056", "setCredentials u p 0"},
              with(headers, {"send "}))},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto object = std::make_shared<RecordingObject>();
        ObjectRequestOptions options;
        options.requestObject = object;
        row.setUp(options);
        EXPECT_EQ(webRequestObject(server.url("/m"), options), "ok");
        EXPECT_EQ(object->calls, row.expected);
        // The call's own reference is gone; the caller's object still answers.
        EXPECT_EQ(object.use_count(), 2);
        options.requestObject.reset();
        EXPECT_EQ(object.use_count(), 1);
        EXPECT_EQ(object->status(), 200);
        EXPECT_EQ(object->responseBody(), "ok");
    }
}

TEST(RequestObjectMembers, RefusesWhatTheAutomationObjectRefuses) {
    RequestObject object;
    EXPECT_FALSE(object.send());
    EXPECT_FALSE(object.setRequestHeader("A", "1"));
    EXPECT_FALSE(object.setCredentials("u", "p", 1));
    EXPECT_FALSE(object.open("GET", "ftp://host/"));
    EXPECT_FALSE(object.open("GET", "host/path"));
    EXPECT_FALSE(object.open("BAD METHOD", "http://host/"));
    EXPECT_FALSE(object.setTimeouts(1000, -2, 1000, 1000));
    EXPECT_TRUE(object.setTimeouts(0, -1, 1000, 1000));
    EXPECT_FALSE(object.setOption(99, 1));
    EXPECT_TRUE(object.open("GET", "http://host/"));
    EXPECT_FALSE(object.setRequestHeader("", "1"));
    EXPECT_FALSE(object.setRequestHeader("A B", "1"));
    EXPECT_FALSE(object.setRequestHeader("A", "1\r\nB: 2"));
    EXPECT_FALSE(object.setCredentials("u", "p", 2));
    EXPECT_EQ(object.status(), 0);
    EXPECT_EQ(object.getAllResponseHeaders(), "");
}

TEST(RequestObjectMembers, ResponseTextFollowsTheContentTypeCharset) {
    RecordingHttpServer server;
    ASSERT_TRUE(server.ready());
    ASSERT_TRUE(server.script(
        {Json{{"headers", {"Content-Type: text/plain; charset=utf-8"}}, {"body", "\xE4\xB8\xAD"}},
         Json{{"body", "\xD6\xD0"}}}));
    RequestObject object;
    ASSERT_TRUE(object.open("GET", server.url("/u")));
    ASSERT_TRUE(object.send());
    EXPECT_EQ(object.statusText(), "OK");
    EXPECT_EQ(object.responseText(), "\xD6\xD0");
    EXPECT_FALSE(object.send());
    ASSERT_TRUE(object.open("GET", server.url("/g")));
    ASSERT_TRUE(object.send());
    EXPECT_EQ(object.responseText(), "\xD6\xD0");
}

}  // namespace
}  // namespace navoket
