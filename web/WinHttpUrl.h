#pragma once

#include <optional>

#include "platform/Bytes.h"

namespace navoket {

// An address taken apart as WinHttpCrackUrl does it.
struct WinHttpUrl {
    bool secure = false;  // the scheme is https
    Text host;            // as written, possibly empty
    int port = 80;        // the scheme's port when the address names none
    Text path;            // from the first "/" up to "?" or "#", possibly empty
    Text extra;           // the query and fragment with their "?" or "#"
};

// Nothing for a scheme other than http or https (any case), a missing "://",
// or a port that is not a number from 0 to 65535. User information before an
// at sign is not part of the host.
std::optional<WinHttpUrl> crackWinHttpUrl(const Text& url);

// The object name a request for the address asks for: the path ("/" when it
// is empty) and the query, without the fragment.
Text winHttpObjectName(const WinHttpUrl& url);

// "host" or "host:port" for the Host header: the port only when it is not the
// scheme's own.
Text winHttpHostHeader(const WinHttpUrl& url);

}  // namespace navoket
