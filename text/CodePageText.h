#pragma once

#include <string_view>

#include "platform/Bytes.h"

namespace navoket {

inline constexpr unsigned codePageGbk = 936;
inline constexpr unsigned codePageUtf8 = 65001;

// UTF-16LE with one zero code unit at the end; empty for an empty input or one
// that starts with a zero byte; bytes after a zero byte are not converted.
Bytes codePageToUtf16(const Bytes& bytes, unsigned codePage);
// Bytes without terminator, up to the first zero code unit.
Bytes utf16ToCodePage(const Bytes& utf16, unsigned codePage);
Bytes textToUtf16(const Text& text, unsigned codePage = codePageUtf8);
Text utf16ToText(const Bytes& utf16, unsigned codePage = codePageGbk);
Text utf16ToAnsi(const Bytes& utf16);
Text utf8ToAnsi(const Text& utf8);
Text utf8BytesToAnsi(const Bytes& utf8);
Bytes ansiToUtf16(const Text& text);

// A program text written as UTF-8 in the source, as code-page-936 bytes.
Text ansiText(std::string_view utf8);
// The reverse, for files and widgets written for humans.
std::string ansiToUtf8(std::string_view text);

}  // namespace navoket
