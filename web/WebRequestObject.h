#pragma once

#include <memory>
#include <optional>

#include "platform/Bytes.h"
#include "web/RequestObject.h"

namespace navoket {

// The optional parameters of webRequestObject, in their order. A null output
// pointer is an output left out; sendCookies non-null but empty is "supplied
// but empty"; credentialTarget and requestObject are left out when unset.
struct ObjectRequestOptions {
    int method = 0;
    Text postText;
    Text* sendCookies = nullptr;      // in/out
    Text* receivedCookies = nullptr;  // out
    Text extraHeaders;
    Text* responseHeaders = nullptr;  // out
    int* statusCode = nullptr;        // out
    bool noRedirect = false;
    Bytes postBytes;
    Text proxy;
    int timeoutSeconds = 0;
    Text proxyUser;
    Text proxyPassword;
    std::optional<int> credentialTarget;
    // The call holds its own reference for its duration; the caller's object
    // lives on.
    std::shared_ptr<RequestObject> requestObject;
    bool autoMergeCookies = true;
    bool completeHeaders = true;
    bool fixHeaderCase = true;
};

// One request through a WinHttp request object: time-outs, proxy, options,
// credentials and the header block are handed to the object member by member,
// then the reply body is returned. A failing member does not stop the sequence;
// a request that gets no reply gives an empty body, empty headers and status 0.
// Blocks until the reply is in, bounded by the time-outs.
Bytes webRequestObject(const Text& url, const ObjectRequestOptions& options = {});

}  // namespace navoket
