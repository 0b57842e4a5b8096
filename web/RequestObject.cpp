#include "web/RequestObject.h"

#include <cstddef>

#include "text/TextSearch.h"
#include "web/BlockLines.h"
#include "web/CharsetText.h"
#include "web/Headers.h"
#include "web/WinHttpExchange.h"

namespace navoket {

namespace {

constexpr const char* defaultUserAgent =
    "Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";

bool sameName(const Text& a, const Text& b) {
    return a.size() == b.size() && searchForward(a, b, 1, true) == 1;
}

// RFC 9110 5.6.2: a token; anything else would break the request line or head.
bool isToken(const Text& text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || Text("\"(),/:;<=>?@[\\]{}").find(c) != Text::npos) {
            return false;
        }
    }
    return true;
}

Text statusTextOf(const Text& headerBlock) {
    const Text statusLine = headerBlock.substr(0, headerBlock.find("\r\n"));
    // "HTTP/1.1 200 OK": the reason phrase after the second blank.
    const std::size_t first = statusLine.find(' ');
    const std::size_t second = first == Text::npos ? Text::npos : statusLine.find(' ', first + 1);
    return second == Text::npos ? Text() : statusLine.substr(second + 1);
}

Text charsetOf(const Text& contentType) {
    const int at = searchForward(contentType, "charset=", 1, true);
    if (at == -1) {
        return Text();
    }
    Text charset = contentType.substr(static_cast<std::size_t>(at) + 7);
    charset = charset.substr(0, charset.find_first_of("; \t"));
    if (charset.size() >= 2 && charset.front() == '"' && charset.back() == '"') {
        charset = charset.substr(1, charset.size() - 2);
    }
    return charset;
}

}  // namespace

bool RequestObject::setTimeouts(int resolve, int connect, int send, int receive) {
    for (const int value : {resolve, connect, send, receive}) {
        if (value < -1) {
            return false;
        }
    }
    // libcurl bounds name resolution and connecting together.
    m_timeouts = {winHttpTimeout(connect), winHttpTimeout(receive)};
    return true;
}

bool RequestObject::setProxy(int setting, const Text& server, const Text& bypass) {
    if (!bypass.empty()) {
        return false;
    }
    if (setting != proxySettingProxy) {
        m_proxy = InetProxy();
        return setting == proxySettingDefault || setting == proxySettingDirect;
    }
    if (server.empty()) {
        return false;
    }
    InetProxy proxy;
    proxy.kind = InetProxyKind::http;
    proxy.address = server;
    if (searchForward(server, "http=", 1, true) == 1) {
        proxy.address = server.substr(5);
        proxy.httpOnly = true;
    }
    m_proxy = proxy;
    return true;
}

bool RequestObject::open(const Text& method, const Text& url, bool) {
    const std::optional<WinHttpUrl> cracked = crackWinHttpUrl(url);
    if (!isToken(method) || !cracked || cracked->host.empty()) {
        return false;
    }
    m_opened = true;
    m_method = method;
    m_url = *cracked;
    // WinHttp opens the request with the accept type "*/*".
    m_headers = {{"Accept", "*/*"}};
    m_serverCredentials = InetCredentials();
    m_proxyCredentials = InetCredentials();
    m_reply.reset();
    return true;
}

bool RequestObject::setOption(int option, long value) {
    if (m_options.find(option) == m_options.end()) {
        return false;
    }
    m_options[option] = value;
    return true;
}

long RequestObject::option(int option) const {
    const auto found = m_options.find(option);
    return found == m_options.end() ? 0 : found->second;
}

bool RequestObject::setCredentials(const Text& user, const Text& password, int flags) {
    if (!m_opened || (flags != credentialsForServer && flags != credentialsForProxy)) {
        return false;
    }
    InetCredentials& credentials =
        flags == credentialsForServer ? m_serverCredentials : m_proxyCredentials;
    credentials = {InetAuthMode::onChallenge, user, password};
    return true;
}

bool RequestObject::setRequestHeader(const Text& name, const Text& value) {
    if (!m_opened || m_reply || !isToken(name) || value.find_first_of("\r\n") != Text::npos) {
        return false;
    }
    for (auto& header : m_headers) {
        if (sameName(header.first, name)) {
            header.second = value;
            return true;
        }
    }
    m_headers.emplace_back(name, value);
    return true;
}

bool RequestObject::send(const Bytes& body) {
    if (!m_opened || m_reply) {
        return false;
    }
    WinHttpExchangeRequest request;
    request.method = m_method;
    request.url = m_url;
    request.objectName = winHttpObjectName(m_url);
    bool hasAgent = false;
    for (const auto& [name, value] : m_headers) {
        request.headerLines.push_back(name + ": " + value);
        hasAgent = hasAgent || sameName(name, "User-Agent");
    }
    if (!hasAgent) {
        request.headerLines.push_back(Text("User-Agent: ") + defaultUserAgent);
    }
    // Content-Length goes with any body and with every POST or PUT.
    request.sendBody = !body.empty() || m_method == "POST" || m_method == "PUT";
    request.body = body;
    request.proxy = m_proxy;
    request.serverCredentials = m_serverCredentials;
    request.proxyCredentials = m_proxyCredentials;
    request.timeouts = m_timeouts;
    request.followRedirects = option(optionEnableRedirects) != 0;
    request.httpsToHttpRedirects = option(optionEnableHttpsToHttpRedirects) != 0;
    InetHopResult reply = performWinHttpExchange(request);
    if (!reply.complete) {
        return false;
    }
    m_reply = Reply{reply.status, statusTextOf(reply.headerBlock), std::move(reply.headerBlock),
                    std::move(reply.body)};
    return true;
}

long RequestObject::status() const {
    return m_reply ? m_reply->status : 0;
}

Text RequestObject::statusText() const {
    return m_reply ? m_reply->statusText : Text();
}

Bytes RequestObject::responseBody() const {
    return m_reply ? m_reply->body : Bytes();
}

Text RequestObject::responseText() const {
    if (!m_reply) {
        return Text();
    }
    const std::optional<Text> contentType = headerValueOf("Content-Type");
    const Text charset = contentType ? charsetOf(*contentType) : Text();
    if (!charset.empty()) {
        if (const std::optional<Text> text = charsetToAnsi(m_reply->body, charset)) {
            return *text;
        }
    }
    return bytesToText(m_reply->body);
}

Text RequestObject::getAllResponseHeaders() const {
    if (!m_reply) {
        return Text();
    }
    const std::size_t firstLineEnd = m_reply->headerBlock.find("\r\n");
    return firstLineEnd == Text::npos ? Text() : m_reply->headerBlock.substr(firstLineEnd + 2);
}

std::optional<Text> RequestObject::headerValueOf(const Text& name) const {
    std::optional<Text> value;
    forEachBlockLine(getAllResponseHeaders(), [&](const Text& line) {
        if (sameName(headerName(line), name)) {
            value = headerValue(line);
        }
        return !value;
    });
    return value;
}

}  // namespace navoket
