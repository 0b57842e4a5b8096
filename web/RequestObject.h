#pragma once

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Bytes.h"
#include "web/InetTransport.h"
#include "web/WinHttpUrl.h"

namespace navoket {

// An HTTP request object with the members of the WinHttp request automation
// object ("WinHttp.WinHttpRequest.5.1") that the program calls, in lower camel
// case. A member that the automation object would answer with an error answers
// false here, and the object stays as it was. Calls are synchronous.
//
// The members are virtual so that a caller can hand in an object of its own,
// one that records or changes what it is asked to do.
class RequestObject {
public:
    // Option indexes (WinHttpRequestOption).
    static constexpr int optionSslErrorIgnoreFlags = 4;
    static constexpr int optionEnableRedirects = 6;
    static constexpr int optionEnableHttpsToHttpRedirects = 12;
    // SetProxy settings (HTTPREQUEST_PROXYSETTING_*).
    static constexpr int proxySettingDefault = 0;
    static constexpr int proxySettingDirect = 1;
    static constexpr int proxySettingProxy = 2;
    // SetCredentials flags (HTTPREQUEST_SETCREDENTIALS_FOR_*).
    static constexpr int credentialsForServer = 0;
    static constexpr int credentialsForProxy = 1;

    RequestObject() = default;
    virtual ~RequestObject() = default;
    RequestObject(const RequestObject&) = delete;
    RequestObject& operator=(const RequestObject&) = delete;

    // Milliseconds for name resolution, connecting, sending and receiving;
    // 0 and -1 mean no limit, other values below 1 are refused.
    virtual bool setTimeouts(int resolve, int connect, int send, int receive);
    // proxySettingProxy with "host:port" (or a WinHttp proxy list entry
    // "http=host:port", which serves plain HTTP only); the other settings
    // connect directly. The bypass list is not supported and must be empty.
    virtual bool setProxy(int setting, const Text& server = Text(), const Text& bypass = Text());
    // Starts a new request: forgets the headers set and the last response.
    // Refuses an address that is not http:// or https://. Requests are always
    // made synchronously; async is accepted and has no effect.
    virtual bool open(const Text& method, const Text& url, bool async = false);
    virtual bool setOption(int option, long value);
    virtual long option(int option) const;
    // For the server or the proxy: given when it asks (401 / 407), not before.
    virtual bool setCredentials(const Text& user, const Text& password, int flags);
    // A header of the same name (any case) is replaced where it stands.
    virtual bool setRequestHeader(const Text& name, const Text& value);
    // Sends the opened request with the body and waits for the whole reply.
    // A text body arrives as its code-page-936 bytes, so it goes as bytes too.
    virtual bool send(const Bytes& body = Bytes());

    // After a successful send; a status of 0 and empty texts before.
    virtual long status() const;
    virtual Text statusText() const;
    virtual Bytes responseBody() const;
    // The body as text, in the charset that Content-Type names; code page 936
    // without one.
    virtual Text responseText() const;
    // The header lines of the reply without the status line, CR LF after each,
    // and the empty line that ends the block.
    virtual Text getAllResponseHeaders() const;

private:
    struct Reply {
        long status = 0;
        Text statusText;
        Text headerBlock;
        Bytes body;
    };

    std::optional<Text> headerValueOf(const Text& name) const;

    InetTimeouts m_timeouts{std::chrono::milliseconds(60000), std::chrono::milliseconds(30000)};
    InetProxy m_proxy;
    InetCredentials m_serverCredentials;
    InetCredentials m_proxyCredentials;
    std::map<int, long> m_options{{optionSslErrorIgnoreFlags, 0},
                                  {optionEnableRedirects, 1},
                                  {optionEnableHttpsToHttpRedirects, 0}};
    bool m_opened = false;
    Text m_method;
    WinHttpUrl m_url;
    std::vector<std::pair<Text, Text>> m_headers;
    std::optional<Reply> m_reply;
};

}  // namespace navoket
