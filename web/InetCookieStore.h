#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/Bytes.h"

namespace navoket {

// The process-wide cookie store that stands for WinINet's own cookie handling:
// requests that are not given cookies by their caller send the stored cookies
// that match them and store the cookies their replies set (RFC 6265 storage and
// matching, kept in memory for the life of the process).
class InetCookieStore {
public:
    static InetCookieStore& instance();

    // The value of a Cookie line for a request ("a=1; b=2"), empty when no
    // stored cookie matches.
    Text cookieLine(const Text& host, const Text& path, bool secure);
    // Stores the cookie of one Set-Cookie value received from host for path.
    void store(const Text& setCookieValue, const Text& host, const Text& path);
    void clear();

private:
    using Clock = std::chrono::system_clock;
    struct Cookie {
        Text name;
        Text value;
        Text domain;
        Text path;
        bool hostOnly = true;
        bool secure = false;
        std::optional<Clock::time_point> expires;
        std::uint64_t created = 0;
    };

    void dropExpired(Clock::time_point now);

    std::mutex m_mutex;
    std::vector<Cookie> m_cookies;
    std::uint64_t m_counter = 0;
};

}  // namespace navoket
