#pragma once

#include <string>
#include <string_view>

namespace navoket::cp936 {

// MultiByteToWideChar(936, 0, ...) over counted bytes: a lead byte takes the
// next byte with it unless that byte is zero or missing, in which case the
// lead byte alone gives '?'; a pair outside the table gives one '?'.
void appendUtf16(std::string_view bytes, std::u16string& out);

// The bytes WideCharToMultiByte(936, 0, ...) writes for one UTF-16 unit with no
// default character given: one byte (below 0x100) or lead << 8 | trail. Every
// surrogate, paired or not, and every unmapped unit gives '?'.
unsigned short encodeUnit(char16_t unit);

inline void appendEncoded(char16_t unit, std::string& out) {
    const unsigned short bytes = encodeUnit(unit);
    if (bytes > 0xFF) {
        out.push_back(static_cast<char>(bytes >> 8));
    }
    out.push_back(static_cast<char>(bytes & 0xFF));
}

}  // namespace navoket::cp936
