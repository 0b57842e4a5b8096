#pragma once

#include "platform/Bytes.h"

namespace navoket {

// RFC 4648 section 4: the standard alphabet, "=" fill up to a multiple of four
// characters, no line breaks. An empty buffer gives an empty text.
Text base64Encode(const Bytes& bytes);

}  // namespace navoket
