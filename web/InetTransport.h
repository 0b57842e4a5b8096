#pragma once

#include <chrono>
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

// One request exactly as it goes on the wire.
struct InetHop {
    bool secure = false;
    Text host;
    int port = 80;
    Text target;  // path with query, sent as given
    std::string_view method = "GET";
    bool sendBody = false;  // a body (possibly empty) goes with the request
    Bytes body;
    std::vector<Text> headerLines;  // after Host, in order, without line ends
    InetProxy proxy;
};

struct InetHopResult {
    bool headersReceived = false;
    bool complete = false;  // the whole reply arrived
    long status = 0;
    Text headerBlock;  // status line first, CR LF lines, ends with the empty line
    Bytes body;        // only of a complete reply
    Text failure;      // why the reply is not complete
    Text redirectUrl;  // absolute target of a Location header
};

// Bounds of one exchange: connecting (name lookup, TCP, proxy and TLS
// handshakes) and silence once the request is under way.
struct InetTimeouts {
    std::chrono::milliseconds connect;
    std::chrono::milliseconds idle;
};

InetTimeouts inetTimeouts();
void setInetTimeouts(InetTimeouts timeouts);

// Replies with a larger body are refused.
inline constexpr long long inetBodyLimit = 64LL * 1024 * 1024;

InetHopResult performInetHop(const InetHop& hop);

}  // namespace navoket
