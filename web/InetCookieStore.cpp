#include "web/InetCookieStore.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <ctime>

namespace navoket {

namespace {

// Beyond this many cookies the oldest go: a hostile server cannot grow the store
// without bound.
constexpr std::size_t maximumCookies = 3000;

Text lowerAscii(Text text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

Text trimWhitespace(const Text& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == Text::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isIpAddress(const Text& host) {
    return host.find_first_not_of("0123456789.") == Text::npos || host.find(':') != Text::npos;
}

// RFC 6265 5.1.3.
bool domainMatches(const Text& host, const Text& domain) {
    if (host == domain) {
        return true;
    }
    return !isIpAddress(host) && host.size() > domain.size() &&
           host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
           host[host.size() - domain.size() - 1] == '.';
}

// RFC 6265 5.1.4.
Text defaultPath(const Text& requestPath) {
    if (requestPath.empty() || requestPath[0] != '/') {
        return "/";
    }
    const std::size_t last = requestPath.rfind('/');
    return last == 0 ? Text("/") : requestPath.substr(0, last);
}

bool pathMatches(const Text& requestPath, const Text& cookiePath) {
    if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0) {
        return false;
    }
    return requestPath.size() == cookiePath.size() || cookiePath.back() == '/' ||
           requestPath[cookiePath.size()] == '/';
}

}  // namespace

InetCookieStore& InetCookieStore::instance() {
    static InetCookieStore store;
    return store;
}

Text InetCookieStore::cookieLine(const Text& host, const Text& path, bool secure) {
    const std::lock_guard lock(m_mutex);
    dropExpired(Clock::now());
    const Text lowerHost = lowerAscii(host);
    std::vector<const Cookie*> matching;
    for (const Cookie& cookie : m_cookies) {
        const bool hostFits =
            cookie.hostOnly ? lowerHost == cookie.domain : domainMatches(lowerHost, cookie.domain);
        if (hostFits && pathMatches(path, cookie.path) && (secure || !cookie.secure)) {
            matching.push_back(&cookie);
        }
    }
    // RFC 6265 5.4: longer paths first, then the older cookie first.
    std::stable_sort(matching.begin(), matching.end(), [](const Cookie* a, const Cookie* b) {
        if (a->path.size() != b->path.size()) {
            return a->path.size() > b->path.size();
        }
        return a->created < b->created;
    });
    Text line;
    for (const Cookie* cookie : matching) {
        if (!line.empty()) {
            line += "; ";
        }
        line += cookie->name + "=" + cookie->value;
    }
    return line;
}

void InetCookieStore::store(const Text& setCookieValue, const Text& host, const Text& path) {
    const std::size_t semicolon = setCookieValue.find(';');
    const Text pair = setCookieValue.substr(0, semicolon);
    const std::size_t equals = pair.find('=');
    if (equals == Text::npos) {
        return;
    }
    Cookie cookie;
    cookie.name = trimWhitespace(pair.substr(0, equals));
    cookie.value = trimWhitespace(pair.substr(equals + 1));
    if (cookie.name.empty()) {
        return;
    }
    const Clock::time_point now = Clock::now();
    cookie.domain = lowerAscii(host);
    cookie.path = defaultPath(path);
    std::optional<Clock::time_point> maxAgeExpiry;
    Text remaining = semicolon == Text::npos ? Text() : setCookieValue.substr(semicolon + 1);
    while (!remaining.empty()) {
        const std::size_t next = remaining.find(';');
        const Text attribute = remaining.substr(0, next);
        remaining = next == Text::npos ? Text() : remaining.substr(next + 1);
        const std::size_t split = attribute.find('=');
        const Text key = lowerAscii(trimWhitespace(attribute.substr(0, split)));
        const Text value =
            split == Text::npos ? Text() : trimWhitespace(attribute.substr(split + 1));
        if (key == "domain" && !value.empty()) {
            Text domain = lowerAscii(value[0] == '.' ? value.substr(1) : value);
            if (!domainMatches(cookie.domain, domain)) {
                return;
            }
            cookie.hostOnly = false;
            cookie.domain = domain;
        } else if (key == "path") {
            cookie.path = !value.empty() && value[0] == '/' ? value : defaultPath(path);
        } else if (key == "secure") {
            cookie.secure = true;
        } else if (key == "max-age" && !value.empty() &&
                   value.find_first_not_of("-0123456789") == Text::npos) {
            const long long seconds = std::strtoll(value.c_str(), nullptr, 10);
            maxAgeExpiry = seconds <= 0
                               ? Clock::time_point::min()
                               : now + std::chrono::seconds(std::min(seconds, 400LL * 24 * 3600));
        } else if (key == "expires") {
            const time_t when = curl_getdate(value.c_str(), nullptr);
            if (when != -1) {
                cookie.expires = Clock::from_time_t(when);
            }
        }
    }
    if (maxAgeExpiry) {
        cookie.expires = maxAgeExpiry;
    }

    const std::lock_guard lock(m_mutex);
    auto same = std::find_if(m_cookies.begin(), m_cookies.end(), [&](const Cookie& stored) {
        return stored.name == cookie.name && stored.domain == cookie.domain &&
               stored.path == cookie.path;
    });
    const bool expired = cookie.expires && *cookie.expires <= now;
    if (same != m_cookies.end()) {
        cookie.created = same->created;
        if (expired) {
            m_cookies.erase(same);
        } else {
            *same = cookie;
        }
        return;
    }
    if (expired) {
        return;
    }
    cookie.created = ++m_counter;
    m_cookies.push_back(cookie);
    if (m_cookies.size() > maximumCookies) {
        m_cookies.erase(m_cookies.begin());
    }
}

void InetCookieStore::clear() {
    const std::lock_guard lock(m_mutex);
    m_cookies.clear();
}

void InetCookieStore::dropExpired(Clock::time_point now) {
    std::erase_if(m_cookies,
                  [now](const Cookie& cookie) { return cookie.expires && *cookie.expires <= now; });
}

}  // namespace navoket
