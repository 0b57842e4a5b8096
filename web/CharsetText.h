#pragma once

#include <optional>

#include "platform/Bytes.h"

namespace navoket {

// Bytes in a named charset (a MIME or iconv name such as "utf-8", "big5",
// "GBK", any case) as code-page-936 text, cut at its first zero character;
// characters that code page 936 lacks become "?", bytes that are not valid in
// the charset U+FFFD first. A leading byte-order mark is dropped. Nothing
// when the charset is unknown.
std::optional<Text> charsetToAnsi(const Bytes& bytes, const Text& charset);

}  // namespace navoket
