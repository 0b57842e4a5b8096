#pragma once

#include <string>

namespace navoket {

// A text: code-page-936 bytes, read up to its first zero byte wherever the
// Windows functions it stands for would see a C string.
using Text = std::string;

// A counted byte sequence that may hold zero bytes (request bodies, replies,
// UTF-16 buffers in little-endian order).
using Bytes = std::string;

// The bytes up to the first zero byte, or all of them when there is none.
inline Text bytesToText(const Bytes& bytes) {
    return Text(bytes.c_str());
}

}  // namespace navoket
