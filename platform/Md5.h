#pragma once

#include "platform/Bytes.h"

namespace navoket {

// The MD5 digest (RFC 1321) of the bytes as 32 lower-case hexadecimal digits,
// high digit first; the empty input gives d41d8cd98f00b204e9800998ecf8427e.
// Empty only if the crypto library fails.
Text md5Hex(const Bytes& bytes);

}  // namespace navoket
