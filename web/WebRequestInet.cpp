#include "web/WebRequestInet.h"

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "text/CodePageText.h"
#include "text/TextSearch.h"
#include "web/BlockLines.h"
#include "web/Cookies.h"
#include "web/Headers.h"
#include "web/InetCookieStore.h"
#include "web/InetTransport.h"
#include "web/RedirectRules.h"
#include "web/ReplyCookies.h"
#include "web/RequestMethodTable.h"
#include "web/Trim.h"
#include "web/Url.h"

namespace navoket {

namespace {

constexpr std::string_view DefaultUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
// WinINet's header buffer: a block that does not fit leaves it as it started.
constexpr std::size_t responseHeaderBufferSize = 5000;
constexpr int redirectLimit = 20;

bool startsWithIgnoringCase(const Text& text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           searchForward(text.substr(0, prefix.size()), prefix, 1, true) == 1;
}

bool equalsIgnoringCase(const Text& text, std::string_view other) {
    return text.size() == other.size() && startsWithIgnoringCase(text, other);
}

bool containsIgnoringCase(const Text& text, std::string_view needle) {
    return searchForward(text, needle, 1, true) != -1;
}

Text chooseAgent(const Text& block) {
    if (!containsIgnoringCase(block, "User-Agent:")) {
        return Text(DefaultUserAgent);
    }
    const Text agent = trimText(textBetween(block + "\r\n", "User-Agent:", "\r\n"));
    return agent.empty() ? headerValue(block) : agent;
}

InetProxy chooseProxy(const Text& proxy, bool socksProxy, bool secure) {
    InetProxy result;
    if (proxy.empty()) {
        return result;
    }
    result.address = proxy;
    if (socksProxy) {
        result.kind = InetProxyKind::socks4;  // "SOCKS=" + proxy: every scheme
    } else {
        result.kind = InetProxyKind::http;
        result.httpOnly = !secure;  // "http=" + proxy for a plain request
    }
    return result;
}

void completeHeaderBlock(Text& block, const Text& url, int method) {
    if (block.empty()) {
        block = "Accept: */*";
    }
    if (!containsIgnoringCase(block, "Accept:")) {
        block += "\r\nAccept: */*";
    }
    if (!containsIgnoringCase(block, "Referer:")) {
        block += "\r\nReferer: " + url;
    }
    if (!containsIgnoringCase(block, "Accept-Language:")) {
        block += "\r\nAccept-Language: zh-cn";
    }
    if (method == 1 && !containsIgnoringCase(block, "Content-Type:")) {
        block += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
}

// The lines of the block as they go on the wire. WinINet keeps one User-Agent
// header, so a User-Agent line of the block goes into the single line that
// carries the chosen agent. Lines without a name cannot be sent; a line with an
// empty value is written in libcurl's "Name;" form so that it is sent, not
// taken as the removal of a header.
std::vector<Text> blockLines(const Text& block) {
    std::vector<Text> lines;
    std::size_t from = 0;
    while (from < block.size()) {
        std::size_t end = block.find_first_of("\r\n", from);
        if (end == Text::npos) {
            end = block.size();
        }
        const Text line = block.substr(from, end - from);
        from = end + 1;
        const std::size_t colon = line.find(':');
        if (colon == Text::npos || headerName(line).empty()) {
            continue;
        }
        if (equalsIgnoringCase(headerName(line), "User-Agent")) {
            continue;
        }
        if (trimText(line.substr(colon + 1)).find_first_not_of(" \t") == Text::npos) {
            lines.push_back(line.substr(0, colon) + ";");
        } else {
            lines.push_back(line);
        }
    }
    return lines;
}

struct Target {
    bool secure = false;
    Text host;
    int port = 80;
    Text path;
};

Target targetOf(const Text& url) {
    Target target;
    target.secure = startsWithIgnoringCase(url, "https://");
    target.host = splitUrl(url);
    target.port = urlPort(url);
    // Port 0 is WinINet's INTERNET_INVALID_PORT_NUMBER: the service's default port.
    if (target.port == 0) {
        target.port = target.secure ? 443 : 80;
    }
    target.path = urlPath(url);
    return target;
}

Text pathWithoutQuery(const Text& path) {
    return path.substr(0, path.find_first_of("?#"));
}

void storeReplyCookies(const Text& headerBlock, const Target& target) {
    forEachBlockLine(headerBlock, [&target](const Text& line) {
        const std::size_t colon = line.find(':');
        if (colon != Text::npos && equalsIgnoringCase(headerName(line), "Set-Cookie")) {
            InetCookieStore::instance().store(trimText(line.substr(colon + 1)), target.host,
                                              pathWithoutQuery(target.path));
        }
        return true;
    });
}

}  // namespace

Bytes webRequestInet(const Text& url, const InetRequestOptions& options) {
    Text block =
        options.fixHeaderCase ? normalizeHeaders(options.extraHeaders) : options.extraHeaders;
    const int method = requestMethodIndex(options.method);
    const Text agent = chooseAgent(block);
    // The agent goes on one header line: it ends at a line break.
    const Text wireAgent = agent.substr(0, agent.find_first_of("\r\n"));
    Target target = targetOf(url);
    const InetProxy proxy = chooseProxy(options.proxy, options.socksProxy, target.secure);
    // Cookies given by the caller switch the process-wide store off both ways.
    const bool useCookieStore = options.sendCookies == nullptr;

    if (options.completeHeaders) {
        completeHeaderBlock(block, url, method);
    }
    if (options.sendCookies != nullptr && !options.sendCookies->empty()) {
        const Text& sendCookies = *options.sendCookies;
        block +=
            (searchForward(sendCookies, "Cookie:") != -1 ? "\r\n" : "\r\nCookie: ") + sendCookies;
    }

    std::string_view methodName = RequestMethodTable[static_cast<std::size_t>(method)];
    Bytes body;
    if (method != 0) {
        if (options.postBytes != nullptr && !options.postBytes->empty()) {
            body = *options.postBytes;
        } else {
            body = bytesToText(options.postText);
            if (options.postBytes != nullptr) {
                *options.postBytes = body;
            }
        }
    }

    const std::vector<Text> lines = blockLines(block);
    InetHopResult reply;
    for (int redirects = 0;; ++redirects) {
        InetHop hop;
        hop.secure = target.secure;
        hop.host = target.host;
        hop.port = target.port;
        hop.target = target.path;
        hop.method = methodName;
        hop.proxy = proxy;
        // WinINet sends Content-Length with any body and with every POST or PUT.
        // A HEAD request goes without its body: libcurl cannot send one and
        // still read the reply as the answer to a HEAD.
        hop.sendBody =
            methodName != "HEAD" && (!body.empty() || methodName == "POST" || methodName == "PUT");
        hop.body = body;
        if (hop.sendBody) {
            hop.headerLines.push_back("Content-Length: " + std::to_string(body.size()));
        }
        if (!wireAgent.empty()) {
            hop.headerLines.push_back("User-Agent: " + wireAgent);
        }
        hop.headerLines.insert(hop.headerLines.end(), lines.begin(), lines.end());
        if (useCookieStore) {
            const Text stored = InetCookieStore::instance().cookieLine(
                target.host, pathWithoutQuery(target.path), target.secure);
            if (!stored.empty()) {
                hop.headerLines.push_back("Cookie: " + stored);
            }
        }
        reply = performInetHop(hop);
        if (useCookieStore && reply.headersReceived) {
            storeReplyCookies(reply.headerBlock, target);
        }
        if (!reply.headersReceived || options.noRedirect || !isFollowedRedirect(reply.status) ||
            reply.redirectUrl.empty()) {
            break;
        }
        if (redirects == redirectLimit) {
            reply.complete = false;
            reply.body.clear();
            reply.failure = ansiText("重定向次数过多");
            break;
        }
        if (redirectTurnsIntoGet(reply.status, methodName)) {
            methodName = RequestMethodTable[0];
            body.clear();
        }
        target = targetOf(reply.redirectUrl);
    }

    Text responseHeaders(responseHeaderBufferSize, ' ');
    if (reply.headersReceived && reply.headerBlock.size() < responseHeaderBufferSize) {
        responseHeaders = bytesToText(reply.headerBlock);
    }
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
    if (options.outcome != nullptr) {
        options.outcome->replied = reply.complete;
        options.outcome->status = reply.headersReceived ? reply.status : 0;
        options.outcome->failure = reply.failure;
    }
    return std::move(reply.body);
}

void clearInetCookieStore() {
    InetCookieStore::instance().clear();
}

void setInetTimeoutsForTesting(std::chrono::milliseconds connect, std::chrono::milliseconds idle) {
    setInetTimeouts({connect, idle});
}

}  // namespace navoket
