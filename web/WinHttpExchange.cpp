#include "web/WinHttpExchange.h"

#include <cstdint>
#include <optional>

#include "text/TextSearch.h"
#include "web/Headers.h"
#include "web/RedirectRules.h"
#include "web/RequestMethodTable.h"

namespace navoket {

namespace {

constexpr int redirectLimit = 10;

bool hasHeader(const std::vector<Text>& lines, std::string_view name) {
    for (const Text& line : lines) {
        const Text lineName = headerName(line);
        if (lineName.size() == name.size() && searchForward(lineName, name, 1, true) == 1) {
            return true;
        }
    }
    return false;
}

// A header with nothing after its colon goes to libcurl in its "Name;" form,
// so that it is sent instead of being taken as the removal of a header.
Text wireLine(const Text& line) {
    const std::size_t colon = line.find(':');
    if (colon != Text::npos && line.find_first_not_of(" \t", colon + 1) == Text::npos) {
        return line.substr(0, colon) + ";";
    }
    return line;
}

bool sameOrigin(const WinHttpUrl& a, const WinHttpUrl& b) {
    return a.secure == b.secure && a.port == b.port && a.host == b.host;
}

}  // namespace

InetHopResult performWinHttpExchange(const WinHttpExchangeRequest& request) {
    WinHttpUrl target = request.url;
    Text objectName = request.objectName;
    std::string_view method = request.method;
    bool sendBody = request.sendBody;
    Bytes body = request.body;
    bool withCredentials = true;
    for (int redirects = 0;; ++redirects) {
        InetHop hop;
        hop.secure = target.secure;
        hop.host = target.host;
        hop.port = target.port;
        hop.target = objectName;
        hop.method = method;
        hop.sendBody = sendBody;
        hop.body = body;
        hop.proxy = request.proxy;
        hop.proxyCredentials = request.proxyCredentials;
        if (withCredentials) {
            hop.serverCredentials = request.serverCredentials;
        }
        hop.timeouts = request.timeouts;
        hop.headerBlockLimit = request.headerBlockLimit;
        for (const Text& line : request.headerLines) {
            hop.headerLines.push_back(wireLine(line));
        }
        if (sendBody && !hasHeader(request.headerLines, "Content-Length")) {
            hop.headerLines.push_back("Content-Length: " + std::to_string(body.size()));
        }
        if (!hasHeader(request.headerLines, "Host")) {
            hop.headerLines.push_back("Host: " + winHttpHostHeader(target));
        }
        if (!hasHeader(request.headerLines, "Connection")) {
            hop.headerLines.push_back("Connection: Keep-Alive");
        }
        InetHopResult reply = performInetHop(hop);
        if (!reply.requestSent && reply.status > 0) {
            // A status line came back, so the request went out; libcurl then
            // refused a reply header line over its own limit (as out of
            // memory). That is a broken reply, as an oversized head is to WinHttp.
            reply.requestSent = true;
            reply.headersReceived = false;
            reply.headerBlock.clear();
            reply.redirectUrl.clear();
        }
        if (!request.followRedirects || !reply.headersReceived ||
            !isFollowedRedirect(reply.status) || reply.redirectUrl.empty()) {
            return reply;
        }
        const std::optional<WinHttpUrl> next = crackWinHttpUrl(reply.redirectUrl);
        // WinHttp's default redirect policy never leaves HTTPS for plain HTTP:
        // the redirect itself is the reply.
        if (!next || next->host.empty() ||
            (target.secure && !next->secure && !request.httpsToHttpRedirects)) {
            return reply;
        }
        if (redirects == redirectLimit) {
            InetHopResult failure;
            failure.requestSent = true;
            failure.failure = "too many redirects";
            return failure;
        }
        if (redirectTurnsIntoGet(reply.status, method)) {
            method = RequestMethodTable[0];
            sendBody = false;
            body.clear();
        }
        // Credentials go no further than the origin they were given for.
        withCredentials = withCredentials && sameOrigin(target, *next);
        target = *next;
        objectName = winHttpObjectName(target);
    }
}

int wrappedMilliseconds(int seconds) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::int64_t>(seconds) * 1000));
}

std::chrono::milliseconds winHttpTimeout(int milliseconds) {
    if (milliseconds == 0 || milliseconds == -1) {
        return std::chrono::hours(24);
    }
    return std::chrono::milliseconds(milliseconds);
}

}  // namespace navoket
