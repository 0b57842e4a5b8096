#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/RecordingHttpServer.h"
#include "text/CodePageText.h"
#include "web/WebRequestWinHttp.h"

namespace navoket {
namespace {

using test::RecordingHttpServer;
using Json = nlohmann::json;

// A port that refuses: the server that held it is gone.
int refusingPort() {
    RecordingHttpServer gone;
    return gone.port();
}

struct FailureRow {
    const char* name;
    std::function<std::string()> url;
    std::optional<Json> reply;
    std::function<void(WinHttpRequestOptions&)> setUp;
    const char* message;  // UTF-8; the call gives it in code page 936
};

// Each step that can fail here names itself; the call gives an empty text and
// leaves every other output as the caller had it.
TEST(WebRequestWinHttpFailure, EachFailingStepLeavesItsMessage) {
    RecordingHttpServer server;
    ASSERT_TRUE(server.ready());
    RecordingHttpServer::Options neverAccepting;
    neverAccepting.blackhole = true;
    RecordingHttpServer blackhole(neverAccepting);
    ASSERT_TRUE(blackhole.ready());
    const int refused = refusingPort();
    const auto at = [&](const std::string& path) { return [&, path] { return server.url(path); }; };
    const auto fixed = [](const std::string& url) { return [url] { return url; }; };
    const auto none = [](WinHttpRequestOptions&) {};
    const auto oneSecond = [](WinHttpRequestOptions& o) { o.timeoutSeconds = 1; };
    const FailureRow rows[] = {
        {"no scheme", fixed("127.0.0.1/a"), std::nullopt, none, "701 解析URL地址失败!"},
        {"another scheme", fixed("ftp://127.0.0.1/"), std::nullopt, none, "701 解析URL地址失败!"},
        {"a port that is no number", fixed("http://127.0.0.1:http/"), std::nullopt, none,
         "701 解析URL地址失败!"},
        {"a port beyond 65535", fixed("http://127.0.0.1:70000/"), std::nullopt, none,
         "701 解析URL地址失败!"},
        {"a time-out that wraps below -1", at("/t"), std::nullopt,
         [](WinHttpRequestOptions& o) { o.timeoutSeconds = 2147484; }, "705 设置超时时间失败!"},
        {"no host", fixed("http:///path"), std::nullopt, none, "703 创建WinHttp连接失败!"},
        {"an empty header block", at("/h"), std::nullopt,
         [](WinHttpRequestOptions& o) { o.completeHeaders = false; }, "710 设置协议头失败!"},
        {"a header line without colon", at("/h"), std::nullopt,
         [](WinHttpRequestOptions& o) {
             o.extraHeaders = "bad line";
             o.fixHeaderCase = false;
         },
         "710 设置协议头失败!"},
        {"a header line with a bare line feed", at("/h"), std::nullopt,
         [](WinHttpRequestOptions& o) { o.extraHeaders = "X-A: 1\nX-B: 2"; },
         "710 设置协议头失败!"},
        {"connection refused", [&] { return "http://127.0.0.1:" + std::to_string(refused) + "/"; },
         std::nullopt, none, "711 发送请求失败!"},
        {"name not resolved", fixed("http://nonexistent.invalid/"), std::nullopt, none,
         "711 发送请求失败!"},
        {"connecting times out", [&] { return blackhole.url("/"); }, std::nullopt, oneSecond,
         "711 发送请求失败!"},
        {"TLS handshake with a plain server",
         [&] { return "https://127.0.0.1:" + std::to_string(server.port()) + "/"; }, std::nullopt,
         oneSecond, "711 发送请求失败!"},
        {"closed without a reply", at("/c"), Json{{"close", true}}, none, "712 服务器未响应!"},
        {"no reply within the time-out", at("/s"), Json{{"silent", true}}, oneSecond,
         "712 服务器未响应!"},
        {"not an HTTP reply", at("/n"), Json{{"status", "NONSENSE"}}, none, "712 服务器未响应!"},
        {"a reply head over 64 KiB", at("/big"),
         Json{{"headers", {"X-Big: " + std::string(70 * 1024, 'h')}}}, none, "712 服务器未响应!"},
        {"one reply header line of 1 MiB", at("/huge"),
         Json{{"headers", {"X-Big: " + std::string(1024 * 1024, 'h')}}}, none, "712 服务器未响应!"},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.reply) {
            ASSERT_TRUE(server.script({*row.reply}));
        }
        Text status = "old";
        Text headers = "kept";
        Text received = "kept";
        Bytes body = "kept";
        WinHttpRequestOptions options;
        options.statusText = &status;
        options.responseHeaders = &headers;
        options.receivedCookies = &received;
        options.responseBody = &body;
        row.setUp(options);
        EXPECT_EQ(webRequestWinHttp(row.url(), options), "");
        EXPECT_EQ(status, ansiText(row.message));
        EXPECT_EQ(headers, "kept");
        EXPECT_EQ(received, "kept");
        EXPECT_EQ(body, "kept");
        ASSERT_TRUE(server.clear());
    }
}

// A body read that breaks off is no failure of the call: what arrived is the
// body, and the status text says that the read failed.
TEST(WebRequestWinHttpFailure, BrokenBodyGivesWhatArrived) {
    RecordingHttpServer server;
    ASSERT_TRUE(server.ready());
    const Json rows[] = {
        Json{{"body", "0123456789abcdefghij"}, {"cutAfter", 8}},
        Json{{"body", "0123456789abcdefghij"}, {"holdAfter", 8}},
    };
    for (const Json& reply : rows) {
        SCOPED_TRACE(reply.dump());
        ASSERT_TRUE(server.script({reply}));
        Text status;
        Bytes body;
        WinHttpRequestOptions options;
        options.statusText = &status;
        options.responseBody = &body;
        options.timeoutSeconds = 1;
        EXPECT_EQ(webRequestWinHttp(server.url("/cut"), options), "01234567");
        EXPECT_EQ(body, "01234567");
        EXPECT_EQ(status, ansiText("713 读取数据失败!"));
    }
}

TEST(WebRequestWinHttpFailure, TooManyRedirectsMeanNoReply) {
    RecordingHttpServer server;
    ASSERT_TRUE(server.ready());
    const Json loop{{"status", "HTTP/1.1 302 Found"}, {"headers", {"Location: /again"}}};
    ASSERT_TRUE(server.script(std::vector<Json>(11, loop)));
    Text status;
    WinHttpRequestOptions options;
    options.statusText = &status;
    EXPECT_EQ(webRequestWinHttp(server.url("/"), options), "");
    EXPECT_EQ(status, ansiText("712 服务器未响应!"));
    EXPECT_EQ(server.requests().size(), 11u);
}

TEST(WebRequestWinHttpBadInput, LargeBodiesAndHeaderBlocksStayBounded) {
    RecordingHttpServer server;
    ASSERT_TRUE(server.ready());
    const size_t tenMiB = 10u * 1024 * 1024;

    ASSERT_TRUE(server.script({Json{{"bodySize", tenMiB}}}));
    const Text received = webRequestWinHttp(server.url("/ten"));
    EXPECT_EQ(received.size(), tenMiB);
    EXPECT_EQ(received.find_first_not_of('x'), Text::npos);

    WinHttpRequestOptions upload;
    upload.method = 1;
    upload.postBytes = Bytes(tenMiB, 'p');
    // The server answers once it has read the whole announced body; the
    // recording itself is not fetched, to keep 10 MiB out of the JSON pipe.
    EXPECT_EQ(webRequestWinHttp(server.url("/up"), upload), "ok");
    ASSERT_TRUE(server.clear());

    // A request block of nearly 1 MiB in many short lines goes; libcurl writes
    // no request head over 1 MiB, so one of 2 MiB fails at sending.
    for (const size_t size : {1000u * 1000, 2u * 1024 * 1024}) {
        Text blockStatus;
        WinHttpRequestOptions block;
        block.statusText = &blockStatus;
        for (int line = 0; block.extraHeaders.size() < size; ++line) {
            block.extraHeaders += "x-line-" + std::to_string(line) + ": value\r\n";
        }
        const bool fits = size < 1024 * 1024;
        EXPECT_EQ(webRequestWinHttp(server.url("/block"), block), fits ? "ok" : "");
        EXPECT_EQ(blockStatus, fits ? Text("200 OK") : ansiText("711 发送请求失败!"));
    }

    Text status;
    WinHttpRequestOptions head;
    head.statusText = &status;
    ASSERT_TRUE(server.script({Json{
        {"headers", std::vector<std::string>(16 * 1024, "X-Filler: " + std::string(54, 'f'))}}}));
    EXPECT_EQ(webRequestWinHttp(server.url("/head"), head), "");
    EXPECT_EQ(status, ansiText("712 服务器未响应!"));

    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].find("\r\nX-Line-0: value\r\n"), std::string::npos);
    EXPECT_GT(requests[0].size(), 1000u * 1000);
}

TEST(WebRequestWinHttpDispatch, PendingMessagesGoThroughAfterEachHeaderLine) {
    RecordingHttpServer server;
    ASSERT_TRUE(server.ready());
    int dispatched = 0;
    setWinHttpMessageDispatcher([&dispatched] { ++dispatched; });
    ASSERT_TRUE(server.script({Json{{"headers", {"A: 1", "B: 2", "C: 3"}}, {"body", "ok"}}}));
    Text status;
    WinHttpRequestOptions options;
    options.statusText = &status;
    EXPECT_EQ(webRequestWinHttp(server.url("/"), options), "ok") << status;
    setWinHttpMessageDispatcher(nullptr);
    // Seven header lines with the status line, the empty line and the piece
    // after it, and at least one dispatch for a stage.
    EXPECT_GT(dispatched, 7);
    const int before = dispatched;
    EXPECT_EQ(webRequestWinHttp(server.url("/")), "ok");
    EXPECT_EQ(dispatched, before);
}

}  // namespace
}  // namespace navoket
