#pragma once

#include "platform/Bytes.h"

namespace navoket {

// Plain text operations on an address; no URL object, no percent-decoding.
// Only "http://" and "https://" are recognised; no scheme reads as "http://".

// The host in lower case; with keepPort, together with ":" and the port the
// address carries.
Text splitUrl(const Text& url, bool keepPort = false);
// The TCP port: the number after the last ":" of the host part, else 443 for an
// address starting "https", else 80.
int urlPort(const Text& url);
// The path with query (case unchanged), or "/".
Text urlPath(const Text& url);

}  // namespace navoket
