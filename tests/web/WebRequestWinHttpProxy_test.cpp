#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/PeerProcess.h"
#include "tests/support/RecordingHttpServer.h"
#include "web/WebRequestWinHttp.h"

namespace navoket {
namespace {

using test::PeerProcess;
using test::RecordingHttpServer;
using Json = nlohmann::json;

const std::string defaultBlock =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: identity\r\n"
    "Accept-Language: zh-cn\r\n"
    "Cache-Control: no-cache\r\n";

std::string hostOf(int port) {
    return "127.0.0.1:" + std::to_string(port);
}

// What the proxy receives for a plain request: the whole address in the
// request line and the proxy's credentials with the first request.
TEST(WebRequestWinHttpProxy, PlainRequestCarriesProxyAuthorization) {
    RecordingHttpServer proxy;
    ASSERT_TRUE(proxy.ready());
    WinHttpRequestOptions options;
    options.proxy = hostOf(proxy.port());
    options.proxyUser = "u";
    options.proxyPassword = "p";
    EXPECT_EQ(webRequestWinHttp("http://origin.test:8080/p?q=1", options), "ok");
    EXPECT_EQ(
        proxy.requests(),
        std::vector<std::string>{
            "GET http://origin.test:8080/p?q=1 HTTP/1.1\r\nProxy-Authorization: Basic dTpw\r\n" +
            defaultBlock + "Host: origin.test:8080\r\nConnection: Keep-Alive\r\n\r\n"});
}

TEST(WebRequestWinHttpProxy, SecureRequestTunnelsWithProxyAuthorization) {
    RecordingHttpServer proxy;
    ASSERT_TRUE(proxy.ready());
    ASSERT_TRUE(proxy.script({Json{{"status", "HTTP/1.1 403 Forbidden"}}}));
    Text status;
    WinHttpRequestOptions options;
    options.proxy = hostOf(proxy.port());
    options.proxyUser = "u";
    options.proxyPassword = "p";
    options.statusText = &status;
    EXPECT_EQ(webRequestWinHttp("https://origin.test/s", options), "");
    const std::vector<std::string> requests = proxy.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].substr(0, 34), "CONNECT origin.test:443 HTTP/1.1\r\n");
    EXPECT_NE(requests[0].find("\r\nProxy-Authorization: Basic dTpw\r\n"), std::string::npos);
    EXPECT_EQ(requests[0].find("User-Agent: Mozilla/5.0"), std::string::npos);
}

// tinyproxy that admits only Basic credentials: with them the server sees the
// request arrive from the proxy, without them the proxy's 407 is the reply.
TEST(WebRequestWinHttpProxy, ThroughTinyproxyWithBasicCredentials) {
    PeerProcess proxy(PeerProcess::pythonScript(
        "proxy_peer.py", {"tinyproxy", "--out", "127.0.0.5", "--basic-auth", "navo:s3cret"}));
    ASSERT_TRUE(proxy.ready());
    ASSERT_GT(proxy.port(), 0) << proxy.firstLine();
    RecordingHttpServer::Options tls;
    tls.tls = true;
    for (const bool secure : {false, true}) {
        SCOPED_TRACE(secure ? "https" : "http");
        RecordingHttpServer server(secure ? tls : RecordingHttpServer::Options{});
        ASSERT_TRUE(server.ready());
        Text status;
        WinHttpRequestOptions options;
        options.proxy = hostOf(proxy.port());
        options.proxyUser = "navo";
        options.proxyPassword = "s3cret";
        options.statusText = &status;
        EXPECT_EQ(webRequestWinHttp(server.url("/via"), options), "ok");
        EXPECT_EQ(status, "200 OK");
        EXPECT_EQ(server.peers(), std::vector<std::string>{"127.0.0.5"});
        const std::vector<std::string> requests = server.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].substr(0, 19), "GET /via HTTP/1.1\r\n");
        EXPECT_NE(requests[0].find(defaultBlock), std::string::npos);
    }
    RecordingHttpServer server;
    ASSERT_TRUE(server.ready());
    Text status;
    WinHttpRequestOptions options;
    options.proxy = hostOf(proxy.port());
    options.statusText = &status;
    webRequestWinHttp(server.url("/refused"), options);
    EXPECT_EQ(status.substr(0, 4), "407 ");
    EXPECT_TRUE(server.requests().empty());
}

}  // namespace
}  // namespace navoket
