#pragma once

#include <chrono>

#include "platform/Bytes.h"

namespace navoket {

// How the exchange ended, beside the body: lets a caller tell a transport
// failure from a reply; the body alone cannot (an empty page and a failed
// fetch both give an empty body).
struct InetOutcome {
    bool replied = false;  // a complete reply was received
    long status = 0;       // final HTTP status, 0 without a reply
    Text failure;          // why there is no complete reply, empty otherwise
};

// The optional parameters of webRequestInet, in their parameter order. A null
// pointer is a parameter left out; sendCookies non-null but empty is
// "supplied but empty".
struct InetRequestOptions {
    int method = 0;
    Text postText;
    Text* sendCookies = nullptr;      // in/out
    Text* receivedCookies = nullptr;  // out
    Text extraHeaders;
    Text* responseHeaders = nullptr;  // out
    bool noRedirect = false;
    Bytes* postBytes = nullptr;  // in/out
    Text proxy;
    bool autoMergeCookies = true;
    bool completeHeaders = true;
    bool fixHeaderCase = true;
    bool socksProxy = false;
    InetOutcome* outcome = nullptr;  // out, beside the WinINet-style parameters
};

// One HTTP(S) exchange as WinINet makes it: the request line, Host,
// Content-Length (when a body goes), one User-Agent line, then the header block
// built from the options, then the body. Redirects are followed (at most 20)
// unless noRedirect holds. Bounds: 60 s to connect, 30 s without data once the
// request is under way, 64 MiB of body. An incomplete reply (transport failure,
// time-out, cut-off or oversized body) gives what arrived of the body, as a read
// loop that ends at the failing read does, and shows in options.outcome.
Bytes webRequestInet(const Text& url, const InetRequestOptions& options = {});

// Empties the process-wide cookie store that requests without sendCookies use.
void clearInetCookieStore();

// Shortens the connect and receive time-outs so that tests of unanswering peers
// stay fast; the defaults are 60 s and 30 s.
void setInetTimeoutsForTesting(std::chrono::milliseconds connect, std::chrono::milliseconds idle);

}  // namespace navoket
