#include "web/InetTransport.h"

#include <strings.h>

#include <algorithm>
#include <atomic>
#include <cstddef>

#include "platform/CurlHandle.h"
#include "text/CodePageText.h"

namespace navoket {

namespace {

// WinINet's defaults: 60 s to connect, 30 s without data while receiving.
std::atomic<long long> connectMilliseconds{60000};
std::atomic<long long> idleMilliseconds{30000};

using SteadyClock = std::chrono::steady_clock;

struct Exchange {
    CURL* handle = nullptr;
    Text headerBlock;
    Bytes body;
    bool headerOverflow = false;
    bool bodyOverflow = false;
    bool idleExpired = false;
    bool requestSent = false;
    std::size_t headerLimit = 0;
    std::chrono::milliseconds idle{};
    SteadyClock::time_point lastProgress = SteadyClock::now();
    curl_off_t lastDown = 0;
    curl_off_t lastUp = 0;
};

size_t collectHeader(char* data, size_t size, size_t count, void* context) {
    auto* exchange = static_cast<Exchange*>(context);
    Text line(data, size * count);
    // Every status line starts a new block: interim 1xx replies and proxy
    // replies are not part of the final header block.
    if (line.compare(0, 5, "HTTP/") == 0) {
        exchange->headerBlock.clear();
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    exchange->headerBlock += line + "\r\n";
    if (exchange->headerBlock.size() > exchange->headerLimit) {
        exchange->headerOverflow = true;
        return 0;
    }
    return size * count;
}

size_t collectBody(char* data, size_t size, size_t count, void* context) {
    auto* exchange = static_cast<Exchange*>(context);
    const size_t length = size * count;
    if (exchange->body.size() + length > static_cast<size_t>(inetBodyLimit)) {
        exchange->bodyOverflow = true;
        return 0;
    }
    exchange->body.append(data, length);
    return length;
}

// Called once the connection (and any proxy tunnel) stands, just before the
// request goes out.
int noteRequestSent(void* context, char*, char*, int, int) {
    static_cast<Exchange*>(context)->requestSent = true;
    return CURL_PREREQFUNC_OK;
}

// The idle bound counts from the moment the request is about to be sent;
// before that the connect time-out applies.
int watchProgress(void* context, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
    auto* exchange = static_cast<Exchange*>(context);
    const SteadyClock::time_point now = SteadyClock::now();
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(exchange->handle, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    if (pretransfer == 0 || down != exchange->lastDown || up != exchange->lastUp) {
        exchange->lastProgress = now;
        exchange->lastDown = down;
        exchange->lastUp = up;
        return 0;
    }
    if (now - exchange->lastProgress > exchange->idle) {
        exchange->idleExpired = true;
        return 1;
    }
    return 0;
}

// A name WinINet could look up: letters, digits, "-", "_" and ".". Anything
// else (a query glued to the host, user information, an empty name) cannot be
// resolved and must not reach libcurl's own URL parser.
bool isResolvableHost(const Text& host) {
    if (host.empty()) {
        return false;
    }
    for (char c : host) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

// Space and control bytes would break the request line; they go percent-encoded.
Text safeTarget(const Text& target) {
    static const char hex[] = "0123456789ABCDEF";
    Text result;
    for (char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) {
            result += '%';
            result += hex[byte >> 4];
            result += hex[byte & 0x0F];
        } else {
            result += c;
        }
    }
    return result.empty() ? Text("/") : result;
}

bool isHostLine(const Text& line) {
    return strncasecmp(line.c_str(), "Host:", 5) == 0;
}

Text hostWithPort(const InetHop& hop) {
    const int defaultPort = hop.secure ? 443 : 80;
    return hop.port == defaultPort ? hop.host : hop.host + ":" + std::to_string(hop.port);
}

Text failureText(CURLcode code, const Exchange& exchange) {
    if (exchange.idleExpired) {
        return ansiText("接收超时：服务器不再发送数据");
    }
    if (exchange.bodyOverflow || code == CURLE_FILESIZE_EXCEEDED) {
        return ansiText("回复内容超过大小上限");
    }
    if (exchange.headerOverflow) {
        return ansiText("回复头过大");
    }
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
            return ansiText("无法解析主机名");
        case CURLE_COULDNT_RESOLVE_PROXY:
            return ansiText("无法解析代理服务器名");
        case CURLE_COULDNT_CONNECT:
            return ansiText("连接被拒绝或主机不可达");
        case CURLE_OPERATION_TIMEDOUT:
            return ansiText("连接超时");
        case CURLE_PARTIAL_FILE:
            return ansiText("回复被中途截断");
        case CURLE_GOT_NOTHING:
            return ansiText("连接已关闭，没有收到回复");
        case CURLE_SSL_CONNECT_ERROR:
            return ansiText("TLS 握手失败");
        default:
            return ansiText("传输失败：") + curl_easy_strerror(code);
    }
}

// Basic at once is sent with the first request; otherwise libcurl answers a
// challenge in whatever scheme it names.
template <typename Set>
void setCredentials(Set& set, CURLoption authOption, CURLoption userOption,
                    CURLoption passwordOption, const InetCredentials& credentials) {
    if (credentials.mode == InetAuthMode::none) {
        return;
    }
    set(authOption,
        static_cast<long>(credentials.mode == InetAuthMode::basicAtOnce ? CURLAUTH_BASIC
                                                                        : CURLAUTH_ANY));
    set(userOption, credentials.user.c_str());
    set(passwordOption, credentials.password.c_str());
}

bool setUp(CurlHandle& curl, const InetHop& hop, Exchange& exchange) {
    CURL* h = curl.get();
    const bool viaProxy =
        hop.proxy.kind != InetProxyKind::none && !(hop.proxy.httpOnly && hop.secure);
    const Text origin = Text(hop.secure ? "https://" : "http://") + hostWithPort(hop);
    // Through an HTTP proxy without a tunnel the request line carries the whole
    // address (RFC 9112 3.2.2).
    const Text target = (viaProxy && hop.proxy.kind == InetProxyKind::http && !hop.secure)
                            ? origin + safeTarget(hop.target)
                            : safeTarget(hop.target);
    // libcurl writes a Host line of its own, or a given one, right after the
    // request line, unless the list first removes it with an empty "Host:";
    // then a given Host line is written where it stands among the others.
    const bool ownHostLine = std::any_of(hop.headerLines.begin(), hop.headerLines.end(),
                                         [](const Text& line) { return isHostLine(line); });
    if (ownHostLine && !curl.appendHeader("Host:")) {
        return false;
    }
    for (const Text& line : hop.headerLines) {
        if (!curl.appendHeader(line)) {
            return false;
        }
    }
    // libcurl's own additions go: no Accept of its own, no Expect: 100-continue
    // (WinINet sends the body at once), no form Content-Type it was not told
    // about, no Proxy-Connection. A header with nothing after ":" only
    // removes libcurl's line of that name.
    for (const char* removal : {"Accept:", "Expect:", "Content-Type:", "Proxy-Connection:"}) {
        if (!curl.appendHeader(removal)) {
            return false;
        }
    }
    bool ok = curl.applyHeaders();
    auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(h, option, value) == CURLE_OK;
    };
    set(CURLOPT_URL, (origin + "/").c_str());
    set(CURLOPT_REQUEST_TARGET, target.c_str());
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_FOLLOWLOCATION, 0L);
    // Request headers go to the server only, never into a proxy's CONNECT.
    set(CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE));
    set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    // Certificate errors never stop a request, as with WinINet's security flags.
    set(CURLOPT_SSL_VERIFYPEER, 0L);
    set(CURLOPT_SSL_VERIFYHOST, 0L);
    if (viaProxy) {
        const bool socks = hop.proxy.kind == InetProxyKind::socks4;
        set(CURLOPT_PROXY, hop.proxy.address.c_str());
        // WinINet speaks SOCKS version 4 and resolves the name itself.
        set(CURLOPT_PROXYTYPE, static_cast<long>(socks ? CURLPROXY_SOCKS4 : CURLPROXY_HTTP));
        if (hop.proxy.address.find(':') == Text::npos) {
            set(CURLOPT_PROXYPORT, socks ? 1080L : 80L);
        }
    } else {
        // An empty proxy also keeps libcurl from reading proxy environment variables.
        set(CURLOPT_PROXY, "");
    }
    setCredentials(set, CURLOPT_HTTPAUTH, CURLOPT_USERNAME, CURLOPT_PASSWORD,
                   hop.serverCredentials);
    if (viaProxy) {
        setCredentials(set, CURLOPT_PROXYAUTH, CURLOPT_PROXYUSERNAME, CURLOPT_PROXYPASSWORD,
                       hop.proxyCredentials);
    }
    const InetTimeouts timeouts = hop.timeouts.value_or(inetTimeouts());
    exchange.idle = timeouts.idle;
    exchange.headerLimit = hop.headerBlockLimit;
    set(CURLOPT_PREREQFUNCTION, &noteRequestSent);
    set(CURLOPT_PREREQDATA, &exchange);
    set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_XFERINFOFUNCTION, &watchProgress);
    set(CURLOPT_XFERINFODATA, &exchange);
    set(CURLOPT_HEADERFUNCTION, &collectHeader);
    set(CURLOPT_HEADERDATA, &exchange);
    set(CURLOPT_WRITEFUNCTION, &collectBody);
    set(CURLOPT_WRITEDATA, &exchange);
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(inetBodyLimit));

    if (hop.method == "HEAD") {
        // A reply to HEAD has no body, whatever its Content-Length says.
        set(CURLOPT_NOBODY, 1L);
    } else if (hop.sendBody) {
        set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(hop.body.size()));
        set(CURLOPT_POSTFIELDS, hop.body.data());
    } else {
        set(CURLOPT_HTTPGET, 1L);
    }
    // A GET that carries a body goes through the POST machinery under its own name.
    if (hop.method != "POST" && (hop.method != "GET" || hop.sendBody)) {
        set(CURLOPT_CUSTOMREQUEST, Text(hop.method).c_str());
    }
    return ok;
}

}  // namespace

InetTimeouts inetTimeouts() {
    return {std::chrono::milliseconds(connectMilliseconds.load()),
            std::chrono::milliseconds(idleMilliseconds.load())};
}

void setInetTimeouts(InetTimeouts timeouts) {
    connectMilliseconds = timeouts.connect.count();
    idleMilliseconds = timeouts.idle.count();
}

InetHopResult performInetHop(const InetHop& hop) {
    InetHopResult result;
    if (!isResolvableHost(hop.host)) {
        result.failure = ansiText("无法解析主机名");
        return result;
    }
    if (hop.port < 1 || hop.port > 65535) {
        result.failure = ansiText("端口号超出范围");
        return result;
    }
    CurlHandle curl;
    Exchange exchange;
    exchange.handle = curl.get();
    if (!curl.valid() || !setUp(curl, hop, exchange)) {
        result.failure = ansiText("无法准备请求");
        return result;
    }
    const CURLcode code = curl_easy_perform(curl.get());
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.status);
    // A request that could not be written out (libcurl refuses a request head
    // over 1 MiB) or not sent counts as never under way.
    result.requestSent =
        exchange.requestSent && code != CURLE_SEND_ERROR && code != CURLE_OUT_OF_MEMORY;
    result.headersReceived = result.status > 0 && !exchange.headerOverflow;
    if (result.headersReceived) {
        result.headerBlock = std::move(exchange.headerBlock);
        const char* location = nullptr;
        if (curl_easy_getinfo(curl.get(), CURLINFO_REDIRECT_URL, &location) == CURLE_OK &&
            location != nullptr) {
            result.redirectUrl = location;
        }
    }
    result.complete = code == CURLE_OK;
    result.body = std::move(exchange.body);
    if (!result.complete) {
        result.failure = failureText(code, exchange);
    }
    return result;
}

}  // namespace navoket
