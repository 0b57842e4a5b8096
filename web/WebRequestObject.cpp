#include "web/WebRequestObject.h"

#include <cstddef>
#include <string_view>

#include "platform/Base64.h"
#include "text/TextSearch.h"
#include "web/BlockLines.h"
#include "web/Cookies.h"
#include "web/Headers.h"
#include "web/ReplyCookies.h"
#include "web/RequestMethodTable.h"
#include "web/WinHttpExchange.h"

namespace navoket {

namespace {

constexpr std::string_view objectUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
constexpr long sslErrorIgnoreFlags = 0x3300;
constexpr int defaultTimeoutMilliseconds = 15000;

bool containsIgnoringCase(const Text& text, std::string_view needle) {
    return searchForward(text, needle, 1, true) != -1;
}

int timeoutMilliseconds(int timeoutSeconds) {
    return timeoutSeconds >= 1 ? wrappedMilliseconds(timeoutSeconds) : defaultTimeoutMilliseconds;
}

void completeHeaderBlock(Text& block, const Text& url, int method) {
    if (!containsIgnoringCase(block, "Accept:")) {
        block += "\r\nAccept: */*";
    }
    if (!containsIgnoringCase(block, "Referer:")) {
        block += "\r\nReferer: " + url;
    }
    if (!containsIgnoringCase(block, "Accept-Language:")) {
        block += "\r\nAccept-Language: zh-cn";
    }
    if (!containsIgnoringCase(block, "User-Agent:")) {
        block += "\r\nUser-Agent: " + Text(objectUserAgent);
    }
    if (method == 1 && !containsIgnoringCase(block, "Content-Type:")) {
        block += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
}

void removeEveryCookieMarker(Text& cookies) {
    for (int at = searchForward(cookies, "Cookie:", 1, true); at != -1;
         at = searchForward(cookies, "Cookie:", at, true)) {
        cookies.erase(static_cast<std::size_t>(at) - 1, 7);
    }
}

void setHeaderBlock(RequestObject& object, const Text& block) {
    if (block.find("\r\n") == Text::npos) {
        object.setRequestHeader(headerName(block), headerValue(block));
        return;
    }
    forEachBlockLine(block, [&object](const Text& line) {
        if (line.empty()) {
            return true;
        }
        const Text name = headerName(line);
        const Text value = headerValue(line);
        // A keep-alive line is left to the stack, which sends its own.
        if (!(name == "Connection" && value == "keep-alive")) {
            object.setRequestHeader(name, value);
        }
        return true;
    });
}

}  // namespace

Bytes webRequestObject(const Text& url, const ObjectRequestOptions& options) {
    const int method = requestMethodIndex(options.method);
    const std::shared_ptr<RequestObject> object =
        options.requestObject ? options.requestObject : std::make_shared<RequestObject>();

    if (options.timeoutSeconds != -1) {
        const int milliseconds = timeoutMilliseconds(options.timeoutSeconds);
        object->setTimeouts(milliseconds, milliseconds, milliseconds, milliseconds);
    }
    if (!options.proxy.empty()) {
        object->setProxy(RequestObject::proxySettingProxy, options.proxy);
    }
    object->open(Text(RequestMethodTable[static_cast<std::size_t>(method)]), url, false);
    if (options.noRedirect) {
        object->setOption(RequestObject::optionEnableRedirects, 0);
    }
    object->setOption(RequestObject::optionSslErrorIgnoreFlags, sslErrorIgnoreFlags);

    Text block = options.extraHeaders;
    if (options.completeHeaders) {
        completeHeaderBlock(block, url, method);
    }
    if (options.fixHeaderCase) {
        block = normalizeHeaders(block);
    }
    if (!options.proxy.empty() && !options.proxyUser.empty()) {
        const int target = options.credentialTarget.value_or(RequestObject::credentialsForProxy);
        object->setCredentials(options.proxyUser, options.proxyPassword, target);
        if (target == RequestObject::credentialsForProxy) {
            object->setRequestHeader(
                "Proxy-Authorization",
                "Basic " + base64Encode(options.proxyUser + ":" + options.proxyPassword));
        }
    }
    if (options.sendCookies != nullptr) {
        Text& sendCookies = *options.sendCookies;
        if (!sendCookies.empty() && containsIgnoringCase(sendCookies, "Cookie:")) {
            removeEveryCookieMarker(sendCookies);
        }
        object->setRequestHeader("Cookie", sendCookies);
    }
    setHeaderBlock(*object, block);
    object->send(options.postBytes.empty() ? bytesToText(options.postText) : options.postBytes);

    const Bytes body = object->responseBody();
    const Text responseHeaders = object->getAllResponseHeaders();
    const long status = object->status();
    // Read and left unused, so that an object handed in by the caller is
    // asked every member the automation object would be, in the same order.
    object->statusText();

    Text receivedCookies = collectReplyCookies(responseHeaders);
    if (options.autoMergeCookies && options.sendCookies != nullptr) {
        mergeCookies(*options.sendCookies, receivedCookies);
        receivedCookies = *options.sendCookies;
    }
    if (options.receivedCookies != nullptr) {
        *options.receivedCookies = receivedCookies;
    }
    if (options.responseHeaders != nullptr) {
        *options.responseHeaders = responseHeaders;
    }
    if (options.statusCode != nullptr) {
        *options.statusCode = static_cast<int>(status);
    }
    return body;
}

}  // namespace navoket
