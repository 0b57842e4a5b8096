#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/PeerProcess.h"
#include "tests/support/RecordingHttpServer.h"
#include "web/WebRequestInet.h"

namespace navoket {
namespace {

using test::PeerProcess;
using test::RecordingHttpServer;

const std::string agentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";

std::string plainGet(const std::string& target, const std::string& host, const std::string& url) {
    return "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + agentLine +
           "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn\r\n\r\n";
}

RecordingHttpServer::Options tlsServer() {
    RecordingHttpServer::Options options;
    options.tls = true;
    return options;
}

std::string hostOf(const RecordingHttpServer& server) {
    return "127.0.0.1:" + std::to_string(server.port());
}

TEST(WebRequestInetTls, SelfSignedCertificateIsAccepted) {
    RecordingHttpServer server(tlsServer());
    ASSERT_TRUE(server.ready());
    const std::string url = server.url("/secure?a=1");
    ASSERT_EQ(url.compare(0, 8, "https://"), 0);
    InetOutcome outcome;
    InetRequestOptions options;
    options.outcome = &outcome;
    EXPECT_EQ(webRequestInet(url, options), "ok");
    EXPECT_TRUE(outcome.replied) << outcome.failure;
    EXPECT_EQ(server.requests(),
              std::vector<std::string>{plainGet("/secure?a=1", hostOf(server), url)});
}

// The request a proxy receives, byte for byte: the whole address in the
// request line, otherwise the same block.
TEST(WebRequestInetProxy, HttpProxyGetsTheAbsoluteAddress) {
    RecordingHttpServer proxy;
    ASSERT_TRUE(proxy.ready());
    const std::string url = "http://origin.test:8080/p?q=1";
    InetRequestOptions options;
    options.proxy = hostOf(proxy);
    EXPECT_EQ(webRequestInet(url, options), "ok");
    EXPECT_EQ(proxy.requests(), std::vector<std::string>{plainGet("http://origin.test:8080/p?q=1",
                                                                  "origin.test:8080", url)});
}

struct ProxyRow {
    const char* name;
    const char* program;  // proxy_peer.py's kind
    const char* outgoing;
    bool socks;
    bool tls;
};

// Real proxies on loopback: the server sees the request arrive from the proxy's
// outgoing address, with the same bytes as a direct request.
TEST(WebRequestInetProxy, ThroughTinyproxyAndDante) {
    const ProxyRow rows[] = {
        {"HTTP through tinyproxy", "tinyproxy", "127.0.0.3", false, false},
        {"HTTPS tunnelled through tinyproxy", "tinyproxy", "127.0.0.3", false, true},
        {"HTTP through a SOCKS 4 server", "danted", "127.0.0.4", true, false},
        {"HTTPS through a SOCKS 4 server", "danted", "127.0.0.4", true, true},
    };
    for (const ProxyRow& row : rows) {
        SCOPED_TRACE(row.name);
        PeerProcess proxy(
            PeerProcess::pythonScript("proxy_peer.py", {row.program, "--out", row.outgoing}));
        ASSERT_TRUE(proxy.ready());
        ASSERT_GT(proxy.port(), 0) << proxy.firstLine();
        RecordingHttpServer server(row.tls ? tlsServer() : RecordingHttpServer::Options{});
        ASSERT_TRUE(server.ready());
        const std::string url = server.url("/via");
        InetOutcome outcome;
        InetRequestOptions options;
        options.proxy = "127.0.0.1:" + std::to_string(proxy.port());
        options.socksProxy = row.socks;
        options.outcome = &outcome;
        EXPECT_EQ(webRequestInet(url, options), "ok");
        EXPECT_TRUE(outcome.replied) << outcome.failure;
        EXPECT_EQ(server.peers(), std::vector<std::string>{row.outgoing});
        const std::vector<std::string> requests = server.requests();
        ASSERT_EQ(requests.size(), 1u);
        if (row.socks || row.tls) {
            EXPECT_EQ(requests[0], plainGet("/via", hostOf(server), url));
        } else {
            EXPECT_EQ(requests[0].compare(0, 18, "GET /via HTTP/1.1\r"), 0);
        }
    }
}

}  // namespace
}  // namespace navoket
