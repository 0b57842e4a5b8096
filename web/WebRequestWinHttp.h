#pragma once

#include <functional>

#include "platform/Bytes.h"

namespace navoket {

// The optional parameters of webRequestWinHttp, in their order. A null output
// pointer is an output that is not delivered; a null sendCookies is an empty
// cookie text.
struct WinHttpRequestOptions {
    int method = 0;
    Text postText;
    Text* sendCookies = nullptr;      // in/out
    Text* receivedCookies = nullptr;  // out
    Text extraHeaders;
    Text* responseHeaders = nullptr;  // out
    bool noRedirect = false;
    Text userName;
    Text password;
    Text proxy;
    Text proxyUser;
    Text proxyPassword;
    int timeoutSeconds = 0;
    Text* redirectLocation = nullptr;  // out
    Text* statusText = nullptr;        // out
    Bytes* responseBody = nullptr;     // out
    bool autoMergeCookies = true;
    bool completeHeaders = true;
    Bytes postBytes;
    bool fixHeaderCase = true;
};

// One request made step by step as with the WinHttp functions. A step that
// fails leaves its numbered message in statusText and gives an empty text; a
// reply of any status gives its body, decoded by the charset that a meta tag
// in its first 1024 bytes declares, and leaves "200 OK" or the like in
// statusText. A body read that breaks off gives what arrived.
//
// The call blocks the calling thread; between steps it runs the dispatcher set
// with setWinHttpMessageDispatcher, through which a window layer lets its
// pending events through.
Text webRequestWinHttp(const Text& url, const WinHttpRequestOptions& options = {});

// The value of the first line of block that begins with name (exact case): the
// text after the last name + ": " in that line; empty when there is none.
Text namedHeaderValue(const Text& block, const Text& name);

// Installs what "let pending window messages through" means for the process;
// none (the default) means nothing happens at those points.
void setWinHttpMessageDispatcher(std::function<void()> dispatcher);

}  // namespace navoket
