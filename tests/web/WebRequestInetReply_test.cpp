#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RecordingHttpServer.h"
#include "web/WebRequestInet.h"

namespace navoket {
namespace {

using test::RecordingHttpServer;
using Json = nlohmann::json;

const std::string agentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";

class WebRequestInetReplyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.ready());
        clearInetCookieStore();
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(m_server.port()); }

    RecordingHttpServer m_server;
};

TEST_F(WebRequestInetReplyTest, ResponseHeadersAreTheRawBlockAndOutputsAreReplaced) {
    const std::string page =
        "<html><head><meta charset=\"gbk\"></head><body>captured</body></html>";
    ASSERT_TRUE(m_server.script(
        {Json{{"headers", {"Content-Type: text/html", "Set-Cookie: sid=42; path=/"}},
              {"body", page.substr(0, 67)}}}));
    Text headers = "old";
    Text received = "old=1";
    InetRequestOptions options;
    options.responseHeaders = &headers;
    options.receivedCookies = &received;
    EXPECT_EQ(webRequestInet(m_server.url("/"), options), page.substr(0, 67));
    EXPECT_EQ(headers,
              "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nSet-Cookie: sid=42; path=/\r\n"
              "Content-Length: 67\r\n\r\n");
    EXPECT_EQ(received, "sid=42");
}

TEST_F(WebRequestInetReplyTest, CollectsSetCookieLines) {
    struct Row {
        std::vector<std::string> lines;
        const char* expected;
    };
    const Row rows[] = {
        {{"Set-Cookie: sid=42; path=/; HttpOnly", "Set-Cookie: t=1"}, "sid=42; t=1"},
        {{"set-cookie: x=1"}, ""},
        {{"Set-Cookie:u=2"}, ""},
        {{"Set-Cookie: \xA1\xA1v=1 ; path=/"}, "v=1"},
        {{"Set-Cookie: a=1", "Set-Cookie: a=1"}, "a=1; a=1"},
        {{}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        ASSERT_TRUE(m_server.script({Json{{"headers", row.lines}}}));
        Text received = "old=1";
        InetRequestOptions options;
        options.receivedCookies = &received;
        webRequestInet(m_server.url("/"), options);
        EXPECT_EQ(received, row.expected);
    }
}

TEST_F(WebRequestInetReplyTest, MergesReceivedCookiesIntoTheSuppliedSet) {
    for (bool merge : {true, false}) {
        SCOPED_TRACE(merge);
        ASSERT_TRUE(m_server.script({Json{{"headers", {"Set-Cookie: b=3; path=/"}}}}));
        Text send = "a=1; b=2";
        Text received;
        InetRequestOptions options;
        options.sendCookies = &send;
        options.receivedCookies = &received;
        options.autoMergeCookies = merge;
        webRequestInet(m_server.url("/"), options);
        EXPECT_EQ(send, merge ? "b=3; a=1" : "a=1; b=2");
        EXPECT_EQ(received, merge ? "b=3; a=1" : "b=3");
    }
}

TEST_F(WebRequestInetReplyTest, HeaderBlockOfFiveThousandBytesDoesNotFit) {
    // Status line 17, "X-Pad: " and line end 9, Set-Cookie line 17,
    // Content-Length line 19, empty line 2: 64 bytes plus the padding.
    for (size_t size : {4999u, 5000u, 9000u}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(m_server.script(
            {Json{{"headers", {"X-Pad: " + std::string(size - 64, 'p'), "Set-Cookie: s=1"}},
                  {"body", "ok"}}}));
        Text headers;
        Text received = "old=1";
        InetRequestOptions options;
        options.responseHeaders = &headers;
        options.receivedCookies = &received;
        InetOutcome outcome;
        options.outcome = &outcome;
        EXPECT_EQ(webRequestInet(m_server.url("/"), options), "ok");
        EXPECT_TRUE(outcome.replied);
        if (size < 5000) {
            EXPECT_EQ(headers.size(), size);
            EXPECT_EQ(received, "s=1");
        } else {
            EXPECT_EQ(headers, std::string(5000, ' '));
            EXPECT_EQ(received, "");
        }
    }
}

TEST_F(WebRequestInetReplyTest, FollowsRedirectsUnlessTold) {
    struct Row {
        const char* name;
        const char* status;
        bool noRedirect;
        std::vector<std::string> expected;  // {host} stands for HOST:PORT
    };
    const std::string postHead = "POST /start HTTP/1.1\r\nHost: {host}\r\nContent-Length: 3\r\n";
    const std::string block =
        "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\n\r\n";
    const Row rows[] = {
        {"302 turns POST into GET",
         "HTTP/1.1 302 Found",
         false,
         {postHead + agentLine + block + "a=1",
          "GET /next?x=1 HTTP/1.1\r\nHost: {host}\r\n" + agentLine + block}},
        {"307 keeps the method and the body",
         "HTTP/1.1 307 Temporary Redirect",
         false,
         {postHead + agentLine + block + "a=1",
          "POST /next?x=1 HTTP/1.1\r\nHost: {host}\r\nContent-Length: 3\r\n" + agentLine + block +
              "a=1"}},
        {"noRedirect returns the redirect itself",
         "HTTP/1.1 302 Found",
         true,
         {postHead + agentLine + block + "a=1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(m_server.clear());
        ASSERT_TRUE(m_server.script(
            {Json{{"status", row.status}, {"headers", {"Location: /next?x=1"}}, {"body", "moved"}},
             Json{{"headers", {"X-Final: 1"}}, {"body", "final"}}}));
        const std::string url = m_server.url("/start");
        Text headers;
        InetOutcome outcome;
        InetRequestOptions options;
        options.method = 1;
        options.postText = "a=1";
        options.noRedirect = row.noRedirect;
        options.responseHeaders = &headers;
        options.outcome = &outcome;
        const Bytes body = webRequestInet(url, options);
        EXPECT_EQ(body, row.noRedirect ? "moved" : "final");
        EXPECT_EQ(outcome.status, row.noRedirect ? 302 : 200);
        EXPECT_EQ(headers.find("X-Final") != std::string::npos, !row.noRedirect);
        const std::vector<std::string> requests = m_server.requests();
        ASSERT_EQ(requests.size(), row.expected.size());
        for (size_t i = 0; i < requests.size(); ++i) {
            std::string expected = row.expected[i];
            for (const auto& [from, to] :
                 {std::pair<std::string, std::string>{"{url}", url}, {"{host}", host()}}) {
                for (size_t at = expected.find(from); at != std::string::npos;
                     at = expected.find(from)) {
                    expected.replace(at, from.size(), to);
                }
            }
            EXPECT_EQ(requests[i], expected);
        }
    }
}

TEST_F(WebRequestInetReplyTest, EndlessRedirectsEndWithAFailure) {
    std::vector<Json> loop(25,
                           Json{{"status", "HTTP/1.1 302 Found"}, {"headers", {"Location: /"}}});
    ASSERT_TRUE(m_server.script(loop));
    InetOutcome outcome;
    InetRequestOptions options;
    options.outcome = &outcome;
    EXPECT_EQ(webRequestInet(m_server.url("/"), options), "");
    EXPECT_FALSE(outcome.replied);
    EXPECT_EQ(m_server.requests().size(), 21u);
}

// Requests without caller cookies use the process-wide store, which also keeps
// what their replies set; requests with caller cookies neither read nor fill it.
TEST_F(WebRequestInetReplyTest, ProcessWideCookieStoreOnlyWithoutSuppliedCookies) {
    ASSERT_TRUE(m_server.script({Json{{"headers", {"Set-Cookie: sid=42; path=/"}}}, Json{},
                                 Json{{"headers", {"Set-Cookie: late=1; path=/"}}}, Json{}}));
    const std::string url = m_server.url("/guestbook/cbxx.php");
    Text empty;
    InetRequestOptions post;
    post.method = 1;
    post.postText = "vessel=ABC";
    InetRequestOptions withCookies;
    withCookies.sendCookies = &empty;
    withCookies.completeHeaders = false;
    InetRequestOptions plain;
    plain.completeHeaders = false;

    webRequestInet(url, plain);
    webRequestInet(url, post);
    webRequestInet(url, withCookies);
    webRequestInet(url, plain);
    const std::string head = "Host: " + host() + "\r\n";
    const std::vector<std::string> expected = {
        "GET /guestbook/cbxx.php HTTP/1.1\r\n" + head + agentLine + "\r\n",
        "POST /guestbook/cbxx.php HTTP/1.1\r\n" + head + "Content-Length: 10\r\n" + agentLine +
            "Accept: */*\r\nReferer: " + url +
            "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n"
            "Cookie: sid=42\r\n\r\nvessel=ABC",
        "GET /guestbook/cbxx.php HTTP/1.1\r\n" + head + agentLine + "\r\n",
        "GET /guestbook/cbxx.php HTTP/1.1\r\n" + head + agentLine + "Cookie: sid=42\r\n\r\n",
    };
    EXPECT_EQ(m_server.requests(), expected);
}

// A redirect's Set-Cookie goes into the store before the next request is made.
TEST_F(WebRequestInetReplyTest, CookiesSetOnARedirectGoWithTheNextRequest) {
    ASSERT_TRUE(m_server.script(
        {Json{{"status", "HTTP/1.1 302 Found"}, {"headers", {"Location: /in", "Set-Cookie: s=1"}}},
         Json::object()}));
    InetRequestOptions options;
    options.completeHeaders = false;
    webRequestInet(m_server.url("/login"), options);
    const std::vector<std::string> requests = m_server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1],
              "GET /in HTTP/1.1\r\nHost: " + host() + "\r\n" + agentLine + "Cookie: s=1\r\n\r\n");
}

}  // namespace
}  // namespace navoket
