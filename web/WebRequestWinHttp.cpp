#include "web/WebRequestWinHttp.h"

#include <cstddef>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "text/CodePageText.h"
#include "text/RegexMatcher.h"
#include "text/TextSearch.h"
#include "web/BlockLines.h"
#include "web/CharsetText.h"
#include "web/Cookies.h"
#include "web/Headers.h"
#include "web/ReplyCookies.h"
#include "web/RequestMethodTable.h"
#include "web/WinHttpExchange.h"
#include "web/WinHttpUrl.h"

namespace navoket {

namespace {

struct DefaultHeader {
    std::string_view presentWhen;
    std::string_view line;
    bool postOnly;
};

// The lines a request block lacks, tested and appended in this order.
constexpr DefaultHeader WinHttpDefaultHeaders[] = {
    {"User-Agent: ",
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n",
     false},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", false},
    {"Accept-Encoding: ", "Accept-Encoding: identity\r\n", false},
    {"Accept-Language: ", "Accept-Language: zh-cn\r\n", false},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", true},
    {"Cache-Control: ", "Cache-Control: no-cache\r\n", false},
};

constexpr const char* MetaCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";
constexpr int defaultTimeoutMilliseconds = 30000;

std::mutex dispatcherMutex;
std::function<void()>& dispatcherSlot() {
    static std::function<void()> dispatcher;
    return dispatcher;
}

void letMessagesThrough() {
    std::function<void()> dispatcher;
    {
        const std::lock_guard lock(dispatcherMutex);
        dispatcher = dispatcherSlot();
    }
    if (dispatcher) {
        dispatcher();
    }
}

bool containsIgnoringCase(const Text& text, std::string_view needle) {
    return searchForward(text, needle, 1, true) != -1;
}

int timeoutMilliseconds(int timeoutSeconds) {
    return timeoutSeconds > 0 ? wrappedMilliseconds(timeoutSeconds) : defaultTimeoutMilliseconds;
}

Text buildHeaderBlock(const WinHttpRequestOptions& options, int method, const Text& sendCookies) {
    Text block = options.extraHeaders.empty() ? Text() : options.extraHeaders + "\r\n";
    if (options.completeHeaders) {
        for (const DefaultHeader& header : WinHttpDefaultHeaders) {
            if ((!header.postOnly || method == 1) &&
                !containsIgnoringCase(block, header.presentWhen)) {
                block += header.line;
            }
        }
    }
    if (options.fixHeaderCase) {
        block = normalizeHeaders(block);
    }
    // The stack sends its own "Connection: Keep-Alive".
    if (block.find("Connection") != Text::npos &&
        namedHeaderValue(block, "Connection") == "keep-alive") {
        const Text keepAlive = "Connection: keep-alive\r\n";
        for (std::size_t at = block.find(keepAlive); at != Text::npos;
             at = block.find(keepAlive, at)) {
            block.erase(at, keepAlive.size());
        }
    }
    if (!containsIgnoringCase(block, "Cookie:") && !sendCookies.empty()) {
        block += containsIgnoringCase(sendCookies, "Cookie:")
                     ? "\r\n" + sendCookies + "\r\n"
                     : "\r\nCookie: " + sendCookies + "\r\n";
    }
    return block;
}

// The lines WinHttpAddRequestHeaders takes from the block, or nothing when it
// refuses the block: an empty one, or a line that is not "name: value".
std::optional<std::vector<Text>> headerLinesOf(const Text& block) {
    if (block.empty()) {
        return std::nullopt;
    }
    std::vector<Text> lines;
    bool valid = true;
    forEachBlockLine(block, [&](const Text& line) {
        if (line.empty()) {
            return true;
        }
        valid = line.find(':') != Text::npos && !headerName(line).empty() &&
                line.find_first_of("\r\n") == Text::npos;
        lines.push_back(line);
        return valid;
    });
    if (!valid) {
        return std::nullopt;
    }
    return lines;
}

InetProxy namedProxy(const Text& proxy, bool secure) {
    InetProxy result;
    if (!proxy.empty()) {
        result.kind = InetProxyKind::http;
        result.address = proxy;
        result.httpOnly = !secure;  // "http=" + proxy
    }
    return result;
}

InetCredentials basicCredentials(const Text& user, const Text& password) {
    if (user.empty() || password.empty()) {
        return {};
    }
    return {InetAuthMode::basicAtOnce, user, password};
}

// The status and reason: from the 10th character (after "HTTP/1.1 ") to the line end.
Text statusTextOf(const Text& headerBlock) {
    if (headerBlock.size() < 10) {
        return Text();
    }
    const std::size_t end = headerBlock.find("\r\n", 9);
    return headerBlock.substr(9, end == Text::npos ? Text::npos : end - 9);
}

// The body as text in the charset that a meta tag among its first 1024 bytes
// declares; "gbk" and "gb2312" (exact case) and unknown charsets leave the text
// as it is.
Text decodeBody(const Bytes& body) {
    const Text text = bytesToText(body);
    RegexMatcher matcher;
    Text charset;
    if (matcher.search(MetaCharsetPattern, leftBytes(text, 1024))) {
        charset = matcher.submatchText(1, 1);
    }
    if (charset.empty() || charset == "gbk" || charset == "gb2312") {
        return text;
    }
    return charsetToAnsi(body, charset).value_or(text);
}

}  // namespace

Text webRequestWinHttp(const Text& url, const WinHttpRequestOptions& options) {
    const auto fail = [&](std::string_view message) {
        if (options.statusText != nullptr) {
            *options.statusText = ansiText(message);
        }
        letMessagesThrough();
        return Text();
    };
    const std::optional<WinHttpUrl> cracked = crackWinHttpUrl(url);
    if (!cracked) {
        return fail("701 解析URL地址失败!");
    }
    const Text objectName = cracked->path.empty() ? Text("/") : cracked->path + cracked->extra;
    const int timeout = timeoutMilliseconds(options.timeoutSeconds);
    if (timeout < -1) {
        return fail("705 设置超时时间失败!");
    }
    if (cracked->host.empty()) {
        return fail("703 创建WinHttp连接失败!");
    }
    const int method = requestMethodIndex(options.method);
    const Text sendCookies = options.sendCookies != nullptr ? *options.sendCookies : Text();
    const std::optional<std::vector<Text>> headerLines =
        headerLinesOf(buildHeaderBlock(options, method, sendCookies));
    if (!headerLines) {
        return fail("710 设置协议头失败!");
    }
    letMessagesThrough();

    WinHttpExchangeRequest request;
    request.method = RequestMethodTable[static_cast<std::size_t>(method)];
    request.url = *cracked;
    request.objectName = objectName;
    request.headerLines = *headerLines;
    // The body goes whatever the method; Content-Length with any body and with
    // every POST or PUT.
    request.body = options.postBytes.empty() ? bytesToText(options.postText) : options.postBytes;
    request.sendBody = !request.body.empty() || method == 1 || method == 3;
    request.proxy = namedProxy(options.proxy, cracked->secure);
    request.serverCredentials = basicCredentials(options.userName, options.password);
    request.proxyCredentials = basicCredentials(options.proxyUser, options.proxyPassword);
    request.timeouts = {winHttpTimeout(timeout), winHttpTimeout(timeout)};
    request.followRedirects = !options.noRedirect;
    const InetHopResult reply = performWinHttpExchange(request);
    if (!reply.requestSent) {
        return fail("711 发送请求失败!");
    }
    if (!reply.headersReceived) {
        return fail("712 服务器未响应!");
    }
    letMessagesThrough();

    const Text& responseHeaders = reply.headerBlock;
    if (options.responseHeaders != nullptr) {
        *options.responseHeaders = responseHeaders;
    }
    // A body that broke off keeps the read failure in the status text: the
    // status line alone ("200 OK") would pass a partial body off as whole.
    if (options.statusText != nullptr) {
        *options.statusText =
            reply.complete ? statusTextOf(responseHeaders) : ansiText("713 读取数据失败!");
    }
    Text receivedCookies = collectReplyCookies(responseHeaders);
    forEachBlockLine(responseHeaders, [&](const Text& line) {
        if (options.redirectLocation != nullptr && line.size() >= 10 &&
            searchForward(line.substr(0, 10), "Location: ", 1, true) == 1) {
            *options.redirectLocation = line.substr(10);
        }
        letMessagesThrough();
        return true;
    });
    if (options.autoMergeCookies && options.sendCookies != nullptr &&
        !options.sendCookies->empty()) {
        mergeCookies(*options.sendCookies, receivedCookies);
        receivedCookies = *options.sendCookies;
    }
    if (options.receivedCookies != nullptr) {
        *options.receivedCookies = receivedCookies;
    }
    if (options.responseBody != nullptr) {
        *options.responseBody = reply.body;
    }
    const Text result = decodeBody(reply.body);
    letMessagesThrough();
    return result;
}

Text namedHeaderValue(const Text& block, const Text& name) {
    Text value;
    forEachBlockLine(block, [&](const Text& line) {
        if (line.compare(0, name.size(), name) != 0) {
            return true;
        }
        value = textAfter(line, name + ": ");
        return false;
    });
    return value;
}

void setWinHttpMessageDispatcher(std::function<void()> dispatcher) {
    const std::lock_guard lock(dispatcherMutex);
    dispatcherSlot() = std::move(dispatcher);
}

}  // namespace navoket
