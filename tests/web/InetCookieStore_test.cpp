#include "web/InetCookieStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace navoket {
namespace {

struct StoredCookie {
    const char* setCookie;
    const char* host;
    const char* path;
};

struct StoreRow {
    const char* name;
    std::vector<StoredCookie> stored;
    const char* host;
    const char* path;
    bool secure;
    const char* expected;
};

TEST(InetCookieStore, SendsWhatMatchesTheRequest) {
    const StoreRow rows[] = {
        {"host-only cookie", {{"a=1", "srv", "/x"}}, "srv", "/", false, "a=1"},
        {"not to another host", {{"a=1", "srv", "/"}}, "other", "/", false, ""},
        {"host-only is not sent to subdomains",
         {{"a=1", "srv.cn", "/"}},
         "www.srv.cn",
         "/",
         false,
         ""},
        {"domain cookie reaches subdomains",
         {{"a=1; Domain=.srv.cn", "www.srv.cn", "/"}},
         "img.srv.cn",
         "/",
         false,
         "a=1"},
        {"domain of another site is refused",
         {{"a=1; Domain=evil.cn", "srv.cn", "/"}},
         "evil.cn",
         "/",
         false,
         ""},
        {"default path is the folder of the request",
         {{"a=1", "srv", "/dir/page.php"}},
         "srv",
         "/other",
         false,
         ""},
        {"path prefix matches on segments",
         {{"a=1; Path=/dir", "srv", "/"}, {"b=2; Path=/di", "srv", "/"}},
         "srv",
         "/dir/x",
         false,
         "a=1"},
        {"longer paths first",
         {{"a=1; Path=/", "srv", "/"}, {"b=2; Path=/d", "srv", "/"}},
         "srv",
         "/d/e",
         false,
         "b=2; a=1"},
        {"secure only over HTTPS", {{"a=1; Secure", "srv", "/"}}, "srv", "/", false, ""},
        {"secure over HTTPS", {{"a=1; Secure", "srv", "/"}}, "srv", "/", true, "a=1"},
        {"a new value replaces the old",
         {{"a=1", "srv", "/"}, {"a=2", "srv", "/"}},
         "srv",
         "/",
         false,
         "a=2"},
        {"Max-Age=0 deletes",
         {{"a=1", "srv", "/"}, {"a=x; Max-Age=0", "srv", "/"}},
         "srv",
         "/",
         false,
         ""},
        {"an expiry in the past deletes",
         {{"a=1", "srv", "/"}, {"a=x; Expires=Thu, 01 Jan 1970 00:00:01 GMT", "srv", "/"}},
         "srv",
         "/",
         false,
         ""},
        {"a future expiry keeps",
         {{"a=1; Expires=Fri, 01 Jan 2100 00:00:00 GMT", "srv", "/"}},
         "srv",
         "/",
         false,
         "a=1"},
        {"a pair without = is ignored", {{"flag; Path=/", "srv", "/"}}, "srv", "/", false, ""},
        {"an empty name is ignored", {{"=v", "srv", "/"}}, "srv", "/", false, ""},
        {"host names compare without case", {{"a=1", "SRV", "/"}}, "srv", "/", false, "a=1"},
    };
    InetCookieStore& store = InetCookieStore::instance();
    for (const StoreRow& row : rows) {
        SCOPED_TRACE(row.name);
        store.clear();
        for (const StoredCookie& cookie : row.stored) {
            store.store(cookie.setCookie, cookie.host, cookie.path);
        }
        EXPECT_EQ(store.cookieLine(row.host, row.path, row.secure), row.expected);
    }
    store.clear();
}

TEST(InetCookieStore, StaysBoundedUnderAFlood) {
    InetCookieStore& store = InetCookieStore::instance();
    store.clear();
    for (int i = 0; i < 5000; ++i) {
        store.store("c" + std::to_string(i) + "=1", "srv", "/");
    }
    const Text line = store.cookieLine("srv", "/", false);
    EXPECT_EQ(line.find("c0=1; "), Text::npos);
    EXPECT_NE(line.find("c4999=1"), Text::npos);
    store.clear();
}

}  // namespace
}  // namespace navoket
