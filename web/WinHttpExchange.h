#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/Bytes.h"
#include "web/InetTransport.h"
#include "web/WinHttpUrl.h"

namespace navoket {

// One request as the WinHttp stack sends it, with the stack's own redirects.
struct WinHttpExchangeRequest {
    std::string_view method = "GET";
    WinHttpUrl url;
    Text objectName = "/";          // path and query as requested
    std::vector<Text> headerLines;  // the request's own header lines, in order
    bool sendBody = false;          // a body, possibly empty, with its Content-Length
    Bytes body;
    InetProxy proxy;
    InetCredentials serverCredentials;
    InetCredentials proxyCredentials;
    InetTimeouts timeouts{std::chrono::milliseconds(60000), std::chrono::milliseconds(30000)};
    bool followRedirects = true;
    bool httpsToHttpRedirects = false;
    // WinHttp's WINHTTP_OPTION_MAX_RESPONSE_HEADER_SIZE default: 64 KiB.
    std::size_t headerBlockLimit = 64 * 1024;
};

// Sends the request and follows redirects (at most 10) unless told not to. On
// the wire: the request line, the request's header lines in their order, then
// the lines the stack adds itself: Content-Length with a body, Host, and
// "Connection: Keep-Alive", each only when the request's lines lack it. More
// redirects than the limit end as a failure after sending, without a reply.
InetHopResult performWinHttpExchange(const WinHttpExchangeRequest& request);

// seconds * 1000 as the 32-bit integer a Windows call receives: a huge count
// wraps around (and is then refused where a time-out below -1 is refused).
int wrappedMilliseconds(int seconds);

// A WinHttp time-out in milliseconds as a bound: 0 and -1 mean no time-out,
// which is held as one day.
std::chrono::milliseconds winHttpTimeout(int milliseconds);

}  // namespace navoket
