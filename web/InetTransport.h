#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Bytes.h"

namespace navoket {

enum class InetProxyKind { none, http, socks4 };

// Where one request goes through: WinINet's proxy list "http=p" serves plain
// HTTP only, a bare "p" and "SOCKS=p" serve every scheme.
struct InetProxy {
    InetProxyKind kind = InetProxyKind::none;
    Text address;  // host:port
    bool httpOnly = false;
};

// Bounds of one exchange: connecting (name lookup, TCP, proxy and TLS
// handshakes) and silence once the request is under way.
struct InetTimeouts {
    std::chrono::milliseconds connect;
    std::chrono::milliseconds idle;
};

// How credentials are given: at once with the request (RFC 7617 Basic), or
// only in answer to a 401 / 407 challenge, in the scheme the challenge names.
enum class InetAuthMode { none, basicAtOnce, onChallenge };

struct InetCredentials {
    InetAuthMode mode = InetAuthMode::none;
    Text user;
    Text password;
};

// One request exactly as it goes on the wire.
struct InetHop {
    bool secure = false;
    Text host;
    int port = 80;
    Text target;  // path with query, sent as given
    std::string_view method = "GET";
    bool sendBody = false;  // a body (possibly empty) goes with the request
    Bytes body;
    // In order, without line ends, after the Host line; a Host line among them
    // takes the place of the one libcurl would put first.
    std::vector<Text> headerLines;
    InetProxy proxy;
    InetCredentials serverCredentials;
    InetCredentials proxyCredentials;            // for the proxy's own challenge or CONNECT
    std::optional<InetTimeouts> timeouts;        // the process-wide bounds when unset
    std::size_t headerBlockLimit = 1024 * 1024;  // a larger reply head is refused
};

struct InetHopResult {
    bool requestSent = false;  // connection (and any tunnel) made and request written
    bool headersReceived = false;
    bool complete = false;  // the whole reply arrived
    long status = 0;
    Text headerBlock;  // status line first, CR LF lines, ends with the empty line
    Bytes body;        // the whole body only when complete, else what arrived
    Text failure;      // why the reply is not complete
    Text redirectUrl;  // absolute target of a Location header
};

InetTimeouts inetTimeouts();
void setInetTimeouts(InetTimeouts timeouts);

// Replies with a larger body are refused.
inline constexpr long long inetBodyLimit = 64LL * 1024 * 1024;

InetHopResult performInetHop(const InetHop& hop);

}  // namespace navoket
