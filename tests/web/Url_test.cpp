#include "web/Url.h"

#include <gtest/gtest.h>

namespace navoket {
namespace {

struct UrlCase {
    const char* url;
    const char* host;
    const char* hostWithPort;
    int port;
    const char* path;
};

TEST(Url, SplitsHostPortAndPath) {
    const UrlCase cases[] = {
        {"http://host:8080", "host", "host:8080", 8080, "/"},
        {"HTTPS://Srv/Path?Q=1", "srv", "srv", 443, "/Path?Q=1"},
        {"srv/a", "srv", "srv", 80, "/a"},
        {"http://srv?x=1", "srv?x=1", "srv?x=1", 80, "/"},
        // The prefix search finds the "http://" inside the query.
        {"srv/?u=http://other/", "other", "other", 80, "/"},
        // User information is not parsed: the user name is the host, the port 0.
        {"http://user:pw@host/x", "user", "user:pw@host", 0, "/x"},
        {"https://k:/", "k", "k:", 0, "/"},
        // The host is searched from the first character: a host that occurs in
        // the scheme is found there, and the path starts at the scheme's "//".
        {"https://h:/", "h", "h:", 0, "//h:/"},
        // Only the first five letters decide the default port.
        {"httpsrv/", "httpsrv", "httpsrv", 443, "/"},
        {"https://Example.COM:8443/a/B?c=D#F", "example.com", "example.com:8443", 8443,
         "/a/B?c=D#F"},
        {"http://k:12ab/", "k", "k:12ab", 12, "/"},
        // Full-width digits count as digits.
        {"http://k:\xA3\xB1\xA3\xB2/", "k", "k:\xA3\xB1\xA3\xB2", 12, "/"},
        {"http://k:99999999999/", "k", "k:99999999999", 2147483647, "/"},
        {"", "", "", 80, "/"},
        {"http:///x", "", "", 80, "///x"},
        // A trail byte in A..Z belongs to a Chinese character and keeps its case.
        {"http://\xB0\x41.cn/P", "\xB0\x41.cn", "\xB0\x41.cn", 80, "/P"},
    };
    for (const UrlCase& row : cases) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(splitUrl(row.url), row.host);
        EXPECT_EQ(splitUrl(row.url, true), row.hostWithPort);
        EXPECT_EQ(urlPort(row.url), row.port);
        EXPECT_EQ(urlPath(row.url), row.path);
    }
}

}  // namespace
}  // namespace navoket
