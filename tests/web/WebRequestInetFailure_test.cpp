#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>

#include "tests/support/RecordingHttpServer.h"
#include "text/CodePageText.h"
#include "web/WebRequestInet.h"

namespace navoket {
namespace {

using test::RecordingHttpServer;
using Json = nlohmann::json;
using namespace std::chrono_literals;

// A loopback port with nothing listening on it: bound once, then released.
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

class WebRequestInetFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.ready());
        setInetTimeoutsForTesting(1500ms, 800ms);
    }
    void TearDown() override { setInetTimeoutsForTesting(60s, 30s); }

    RecordingHttpServer m_server;
};

struct FailureRow {
    const char* name;
    std::optional<Json> reply;  // scripted for the recording server
    const char* url;            // used when there is no reply
    bool headersArrive;
    const char* failure;
    std::size_t partialBytes = 0;  // body bytes that arrived before the failure
};

// Every failure keeps what arrived of the body (as a read loop that stops at
// the failing read does), an outcome that says why, WinINet's
// outputs (5000 spaces unless headers arrived, the caller's cookies merged with
// nothing), within the time-outs.
TEST_F(WebRequestInetFailureTest, TransportFailuresGiveADefinedResult) {
    const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    RecordingHttpServer::Options neverAccepting;
    neverAccepting.blackhole = true;
    RecordingHttpServer blackhole(neverAccepting);
    ASSERT_TRUE(blackhole.ready());
    const std::string unreachable = blackhole.url("/");
    const FailureRow rows[] = {
        {"connection refused", std::nullopt, refused.c_str(), false, "连接被拒绝或主机不可达"},
        {"connect never completes", std::nullopt, unreachable.c_str(), false, "连接超时"},
        {"name not resolved", std::nullopt, "http://nonexistent.invalid/", false, "无法解析主机名"},
        {"host with a query glued on", std::nullopt, "http://127.0.0.1?x=1", false,
         "无法解析主机名"},
        {"user information as host", std::nullopt, "http://user:pw@127.0.0.1/", false,
         "无法解析主机名"},
        {"server never answers", Json{{"silent", true}}, nullptr, false,
         "接收超时：服务器不再发送数据"},
        {"connection closed without a reply", Json{{"close", true}}, nullptr, false,
         "连接已关闭，没有收到回复"},
        {"body cut off", Json{{"body", std::string(1000, 'b')}, {"length", 1000}, {"cutAfter", 10}},
         nullptr, true, "回复被中途截断", 10},
        {"body stalls after a few bytes", Json{{"body", std::string(1000, 'b')}, {"holdAfter", 10}},
         nullptr, true, "接收超时：服务器不再发送数据", 10},
        {"body announced over the size limit",
         Json{{"body", "x"}, {"length", 100 * 1024 * 1024}, {"cutAfter", 1}}, nullptr, true,
         "回复内容超过大小上限"},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::string url = row.url == nullptr ? m_server.url("/f") : row.url;
        if (row.reply) {
            ASSERT_TRUE(m_server.script({*row.reply}));
        }
        Text send = "a=1";
        Text received = "old=1";
        Text headers = "old";
        InetOutcome outcome;
        InetRequestOptions options;
        options.sendCookies = &send;
        options.receivedCookies = &received;
        options.responseHeaders = &headers;
        options.outcome = &outcome;
        const auto started = std::chrono::steady_clock::now();
        const Bytes body = webRequestInet(url, options);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
        EXPECT_EQ(body, std::string(row.partialBytes, 'b'));
        EXPECT_FALSE(outcome.replied);
        EXPECT_EQ(outcome.failure, ansiText(row.failure));
        EXPECT_EQ(outcome.status, row.headersArrive ? 200 : 0);
        EXPECT_EQ(headers.compare(0, 9, "HTTP/1.1 ") == 0, row.headersArrive);
        if (!row.headersArrive) {
            EXPECT_EQ(headers, std::string(5000, ' '));
        }
        EXPECT_EQ(send, "a=1");
        EXPECT_EQ(received, "a=1");
    }
}

TEST_F(WebRequestInetFailureTest, FiftyMegabyteBodyArrivesWhole) {
    const size_t size = 50u * 1024 * 1024;
    ASSERT_TRUE(m_server.script({Json{{"bodySize", size}}}));
    InetOutcome outcome;
    InetRequestOptions options;
    options.outcome = &outcome;
    const Bytes body = webRequestInet(m_server.url("/big"), options);
    EXPECT_TRUE(outcome.replied) << outcome.failure;
    EXPECT_EQ(body.size(), size);
    EXPECT_EQ(body.find_first_not_of('x'), std::string::npos);
}

// The receive time-out bounds silence, not the whole exchange.
TEST_F(WebRequestInetFailureTest, SlowBodyWithinTheReceiveTimeOutArrives) {
    ASSERT_TRUE(
        m_server.script({Json{{"body", "abcdef"}, {"pieceSize", 2}, {"pieceDelayMs", 400}}}));
    InetOutcome outcome;
    InetRequestOptions options;
    options.outcome = &outcome;
    EXPECT_EQ(webRequestInet(m_server.url("/slow"), options), "abcdef");
    EXPECT_TRUE(outcome.replied) << outcome.failure;
}

TEST_F(WebRequestInetFailureTest, HttpStatusIsNoFailure) {
    ASSERT_TRUE(m_server.script(
        {Json{{"status", "HTTP/1.1 500 Internal Server Error"}, {"body", "error page"}}}));
    InetOutcome outcome;
    InetRequestOptions options;
    options.outcome = &outcome;
    EXPECT_EQ(webRequestInet(m_server.url("/"), options), "error page");
    EXPECT_TRUE(outcome.replied);
    EXPECT_EQ(outcome.status, 500);
}

}  // namespace
}  // namespace navoket
