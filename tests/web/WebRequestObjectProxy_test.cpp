#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/PeerProcess.h"
#include "tests/support/RecordingHttpServer.h"
#include "web/WebRequestObject.h"

namespace navoket {
namespace {

using test::PeerProcess;
using test::RecordingHttpServer;
using Json = nlohmann::json;

const std::string agentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";

std::string hostOf(int port) {
    return "127.0.0.1:" + std::to_string(port);
}

TEST(WebRequestObjectProxy, ProxyGetsTheAbsoluteAddressAndProxyAuthorization) {
    RecordingHttpServer proxy;
    ASSERT_TRUE(proxy.ready());
    const std::string url = "http://origin.test:8080/p?q=1";
    ObjectRequestOptions options;
    options.proxy = hostOf(proxy.port());
    options.proxyUser = "user";
    options.proxyPassword = "pass";
    EXPECT_EQ(webRequestObject(url, options), "ok");
    EXPECT_EQ(proxy.requests(),
              std::vector<std::string>{"GET " + url +
                                       " HTTP/1.1\r\nAccept: */*\r\n"
                                       "Proxy-Authorization: Basic dXNlcjpwYXNz\r\nReferer: " +
                                       url + "\r\nAccept-Language: zh-cn\r\n" + agentLine +
                                       "Host: origin.test:8080\r\nConnection: Keep-Alive\r\n\r\n"});
}

// credentialTarget 0 makes the proxy user the server's: no Proxy-Authorization,
// and the Basic credentials answer the server's 401.
TEST(WebRequestObjectProxy, ServerCredentialsAnswerTheChallenge) {
    RecordingHttpServer proxy;
    ASSERT_TRUE(proxy.ready());
    ASSERT_TRUE(proxy.script({Json{{"status", "HTTP/1.1 401 Unauthorized"},
                                   {"headers", {"WWW-Authenticate: Basic realm=\"r\""}},
                                   {"body", "who?"}},
                              Json{{"body", "welcome"}}}));
    int status = 0;
    ObjectRequestOptions options;
    options.proxy = hostOf(proxy.port());
    options.proxyUser = "user";
    options.proxyPassword = "pass";
    options.credentialTarget = 0;
    options.statusCode = &status;
    EXPECT_EQ(webRequestObject("http://origin.test/secret", options), "welcome");
    EXPECT_EQ(status, 200);
    const std::vector<std::string> requests = proxy.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const std::string& request : requests) {
        EXPECT_EQ(request.find("Proxy-Authorization"), std::string::npos);
    }
    EXPECT_EQ(requests[0].find("Authorization"), std::string::npos);
    EXPECT_NE(requests[1].find("\r\nAuthorization: Basic dXNlcjpwYXNz\r\n"), std::string::npos);
}

TEST(WebRequestObjectProxy, ThroughTinyproxyWithBasicCredentials) {
    PeerProcess proxy(PeerProcess::pythonScript(
        "proxy_peer.py", {"tinyproxy", "--out", "127.0.0.6", "--basic-auth", "navo:s3cret"}));
    ASSERT_TRUE(proxy.ready());
    ASSERT_GT(proxy.port(), 0) << proxy.firstLine();
    RecordingHttpServer::Options tls;
    tls.tls = true;
    for (const bool secure : {false, true}) {
        SCOPED_TRACE(secure ? "https" : "http");
        RecordingHttpServer server(secure ? tls : RecordingHttpServer::Options{});
        ASSERT_TRUE(server.ready());
        int status = 0;
        ObjectRequestOptions options;
        options.proxy = hostOf(proxy.port());
        options.proxyUser = "navo";
        options.proxyPassword = "s3cret";
        options.statusCode = &status;
        EXPECT_EQ(webRequestObject(server.url("/via"), options), "ok");
        EXPECT_EQ(status, 200);
        EXPECT_EQ(server.peers(), std::vector<std::string>{"127.0.0.6"});
    }
    RecordingHttpServer server;
    ASSERT_TRUE(server.ready());
    int status = 0;
    ObjectRequestOptions options;
    options.proxy = hostOf(proxy.port());
    options.statusCode = &status;
    webRequestObject(server.url("/refused"), options);
    EXPECT_EQ(status, 407);
    EXPECT_TRUE(server.requests().empty());
}

}  // namespace
}  // namespace navoket
