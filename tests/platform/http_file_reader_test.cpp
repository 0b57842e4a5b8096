#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/HttpFileReader.h"
#include "platform/TestTrust.h"
#include "tests/support/RecordingHttpServer.h"
#include "tests/support/TempFolder.h"

namespace navoket {
namespace {

using nlohmann::json;
using test::RecordingHttpServer;

// A loopback port nobody listens on: connecting is refused at once.
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// One HTTPS server with a certificate made at start, trusted through the test
// trust file, and one plain HTTP server, shared by the whole suite.
class HttpFileReaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = std::make_unique<test::TempFolder>();
        s_certificate = s_folder->path() / "server.pem";
        s_https = std::make_unique<RecordingHttpServer>(
            RecordingHttpServer::Options{.tls = true, .certificateOut = s_certificate});
        s_http = std::make_unique<RecordingHttpServer>();
    }
    static void TearDownTestSuite() {
        s_http.reset();
        s_https.reset();
        s_folder.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(s_https->ready() && s_http->ready());
        ASSERT_TRUE(s_https->clear() && s_http->clear());
        setExtraCaFileForTesting(s_certificate);
    }
    void TearDown() override { setExtraCaFileForTesting({}); }

    static inline std::unique_ptr<test::TempFolder> s_folder;
    static inline std::filesystem::path s_certificate;
    static inline std::unique_ptr<RecordingHttpServer> s_https;
    static inline std::unique_ptr<RecordingHttpServer> s_http;
};

TEST_F(HttpFileReaderTest, SendsOnePlainGet) {
    const HttpReadResult result = readHttpFile(s_https->url("/navoket/v.txt"));
    EXPECT_TRUE(result.succeeded());
    const auto requests = s_https->requests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0], "GET /navoket/v.txt HTTP/1.1\r\nHost: 127.0.0.1:" +
                               std::to_string(s_https->port()) + "\r\nAccept: */*\r\n\r\n");
}

// The body comes back as sent, whatever the status, zero bytes included.
TEST_F(HttpFileReaderTest, ReturnsTheBodyWhateverTheStatus) {
    const struct {
        const char* name;
        json reply;
        long status;
        Bytes body;
    } cases[] = {
        {"version", {{"body", "0.2"}}, 200, "0.2"},
        {"line break", {{"body", "0.2\r\n"}}, 200, "0.2\r\n"},
        {"empty", {{"body", ""}}, 200, ""},
        {"zero byte", {{"body", std::string("0.2\0xyz", 7)}}, 200, std::string("0.2\0xyz", 7)},
        {"binary", {{"body", "\xff\xfe\x80\x01"}}, 200, "\xff\xfe\x80\x01"},
        {"not found", {{"status", "HTTP/1.1 404 Not Found"}, {"body", "missing"}}, 404, "missing"},
        {"no length", {{"body", "0.3"}, {"length", "none"}}, 200, "0.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(s_https->script({c.reply}));
        const HttpReadResult result = readHttpFile(s_https->url("/v.txt"));
        EXPECT_TRUE(result.replied());
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.body, c.body);
        ASSERT_TRUE(s_https->script({c.reply}));
        EXPECT_EQ(httpFileBytes(s_https->url("/v.txt")), c.body);
    }
}

TEST_F(HttpFileReaderTest, FailuresGiveNoBytes) {
    const std::string plainRedirect = "Location: " + s_http->url("/navoket/navoket.exe");
    const struct {
        const char* name;
        json reply;
        HttpReadFailure failure;
    } cases[] = {
        {"cut off mid-way",
         {{"bodySize", 1000}, {"cutAfter", 400}},
         HttpReadFailure::transferFailed},
        {"closed without reply", {{"close", true}}, HttpReadFailure::transferFailed},
        {"announced too large", {{"bodySize", 10 * 1024 * 1024}}, HttpReadFailure::tooLarge},
        {"streamed too large",
         {{"bodySize", 10 * 1024 * 1024}, {"length", "none"}},
         HttpReadFailure::tooLarge},
        {"redirect to plain http",
         {{"status", "HTTP/1.1 302 Found"}, {"headers", {plainRedirect}}},
         HttpReadFailure::protocolRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(s_https->script({c.reply}));
        const HttpReadResult result = readHttpFile(s_https->url("/v.txt"));
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_FALSE(result.replied());
        EXPECT_TRUE(result.body.empty());
    }
    EXPECT_TRUE(s_http->requests().empty()) << "the plain-text address was never asked";
}

TEST_F(HttpFileReaderTest, FollowsRedirectsThatStayEncrypted) {
    ASSERT_TRUE(s_https->script(
        {{{"status", "HTTP/1.1 302 Found"}, {"headers", {"Location: " + s_https->url("/moved")}}},
         {{"body", "0.3"}}}));
    const HttpReadResult result = readHttpFile(s_https->url("/v.txt"));
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.body, "0.3");
    EXPECT_EQ(s_https->requests().size(), 2U);
}

TEST_F(HttpFileReaderTest, UnreachableServerGivesNoBytes) {
    const Text url = "https://127.0.0.1:" + std::to_string(closedPort()) + "/v.txt";
    const HttpReadResult result = readHttpFile(url);
    EXPECT_EQ(result.failure, HttpReadFailure::unreachable);
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(httpFileBytes(url).empty());
}

// Without the test trust the made-up certificate is unknown: verification
// fails and nothing of the body is seen.
TEST_F(HttpFileReaderTest, UntrustedCertificateFails) {
    setExtraCaFileForTesting({});
    ASSERT_TRUE(s_https->script({{{"body", "0.2"}}}));
    const HttpReadResult result = readHttpFile(s_https->url("/v.txt"));
    EXPECT_EQ(result.failure, HttpReadFailure::tlsFailure);
    EXPECT_TRUE(result.body.empty());
    EXPECT_TRUE(s_https->requests().empty());
}

TEST_F(HttpFileReaderTest, StalledServerTimesOut) {
    ASSERT_TRUE(s_https->script({{{"silent", true}}}));
    HttpReadOptions options;
    options.totalTimeout = std::chrono::milliseconds(400);
    const auto start = std::chrono::steady_clock::now();
    const HttpReadResult result = readHttpFile(s_https->url("/v.txt"), options);
    EXPECT_EQ(result.failure, HttpReadFailure::timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(HttpFileReaderTest, ErrorStatusRefusedWhenSuccessIsRequired) {
    for (const char* status : {"HTTP/1.1 404 Not Found", "HTTP/1.1 500 Internal Server Error"}) {
        SCOPED_TRACE(status);
        ASSERT_TRUE(s_https->script({{{"status", status}, {"body", "error page"}}}));
        Bytes sunk;
        HttpReadOptions options;
        options.requireSuccessStatus = true;
        options.sink = [&](std::string_view bytes) {
            sunk += bytes;
            return true;
        };
        const HttpReadResult result = readHttpFile(s_https->url("/navoket.exe"), options);
        EXPECT_EQ(result.failure, HttpReadFailure::errorStatus);
        EXPECT_TRUE(sunk.empty());
    }
}

TEST_F(HttpFileReaderTest, SinkAndProgressSeeTheWholeBody) {
    constexpr int size = 3 * 1024 * 1024;
    ASSERT_TRUE(s_https->script({{{"bodySize", size}}}));
    std::uint64_t sunk = 0;
    std::uint64_t lastReceived = 0;
    std::uint64_t expected = 0;
    HttpReadOptions options;
    options.maxBytes = size;
    options.requireSuccessStatus = true;
    options.sink = [&](std::string_view bytes) {
        sunk += bytes.size();
        return bytes.find_first_not_of('x') == std::string_view::npos;
    };
    options.progress = [&](std::uint64_t received, std::uint64_t total) {
        lastReceived = received;
        expected = total;
        return true;
    };
    const HttpReadResult result = readHttpFile(s_https->url("/navoket.exe"), options);
    EXPECT_TRUE(result.succeeded());
    EXPECT_TRUE(result.body.empty());
    EXPECT_EQ(sunk, std::uint64_t{size});
    EXPECT_EQ(result.received, std::uint64_t{size});
    EXPECT_EQ(lastReceived, std::uint64_t{size});
    EXPECT_EQ(expected, std::uint64_t{size});
}

TEST_F(HttpFileReaderTest, CallbacksStopTheRead) {
    const struct {
        const char* name;
        bool sinkAccepts;
        bool progressGoesOn;
        HttpReadFailure failure;
    } cases[] = {
        {"sink refuses", false, true, HttpReadFailure::sinkFailed},
        {"progress cancels", true, false, HttpReadFailure::cancelled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(s_https->script({{{"bodySize", 1024 * 1024}}}));
        HttpReadOptions options;
        options.maxBytes = 2 * 1024 * 1024;
        options.sink = [&](std::string_view) { return c.sinkAccepts; };
        options.progress = [&](std::uint64_t, std::uint64_t) { return c.progressGoesOn; };
        EXPECT_EQ(readHttpFile(s_https->url("/navoket.exe"), options).failure, c.failure);
    }
}

}  // namespace
}  // namespace navoket
