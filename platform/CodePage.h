#pragma once

#include <string>
#include <string_view>

namespace navoket {

// MultiByteToWideChar(codePage, 0, bytes, count, ...): every input byte is
// converted, zero bytes included. Code pages 936 and 65001 give Windows'
// results (0, 1 and 3, the system's code pages, are 936); other code pages go through iconv as a
// best effort, and a code page that neither knows converts to nothing.
std::u16string multiByteToWideChar(unsigned codePage, std::string_view bytes);

// WideCharToMultiByte(codePage, 0, units, count, ..., no default character):
// what cannot be written becomes '?'.
std::string wideCharToMultiByte(unsigned codePage, std::u16string_view units);

// wideCharToMultiByte(936, multiByteToWideChar(65001, utf8)) in one pass.
std::string utf8ToCp936(std::string_view utf8);

}  // namespace navoket
