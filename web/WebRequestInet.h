#pragma once

#include "platform/Bytes.h"

namespace navoket {

// How the exchange ended, beside the body: lets a caller tell a transport
// failure from a reply (the design's callers look only at the body).
struct InetOutcome {
    bool replied = false;  // a complete reply was received
    long status = 0;       // final HTTP status, 0 without a reply
    Text failure;          // why there is no complete reply, empty otherwise
};

// The optional parameters of webRequestInet, in the design's order. A null
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
    InetOutcome* outcome = nullptr;  // out, not one of the design's parameters
};

Bytes webRequestInet(const Text& url, const InetRequestOptions& options = {});

}  // namespace navoket
