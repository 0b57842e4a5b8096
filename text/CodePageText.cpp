#include "text/CodePageText.h"

#include <string>

#include "platform/CodePage.h"

namespace navoket {

namespace {

// What a Windows function reading a zero-terminated string sees of the bytes.
std::string_view upToZero(std::string_view bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

Bytes unitsToBytes(std::u16string_view units) {
    Bytes bytes(units.size() * 2, '\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    return bytes;
}

// The units of a UTF-16LE buffer up to its first zero unit (lstrlenW); an odd
// last byte pairs with a zero byte, as it would after two appended zero bytes.
std::u16string unitsUpToZero(std::string_view utf16) {
    std::u16string units;
    units.reserve(utf16.size() / 2);
    for (std::size_t i = 0; i < utf16.size(); i += 2) {
        const unsigned low = static_cast<unsigned char>(utf16[i]);
        const unsigned high = i + 1 < utf16.size() ? static_cast<unsigned char>(utf16[i + 1]) : 0;
        const auto unit = static_cast<char16_t>(low | high << 8);
        if (unit == 0) {
            break;
        }
        units.push_back(unit);
    }
    return units;
}

}  // namespace

Bytes codePageToUtf16(const Bytes& bytes, unsigned codePage) {
    const std::string_view text = upToZero(bytes);
    if (text.empty()) {
        return {};
    }
    // Length -1: the terminator is converted too and counted in the result.
    std::string terminated(text);
    terminated.push_back('\0');
    return unitsToBytes(multiByteToWideChar(codePage, terminated));
}

Bytes utf16ToCodePage(const Bytes& utf16, unsigned codePage) {
    std::u16string units = unitsUpToZero(utf16);
    if (units.empty()) {
        return {};
    }
    units.push_back(u'\0');
    return Bytes(upToZero(wideCharToMultiByte(codePage, units)));
}

Bytes textToUtf16(const Text& text, unsigned codePage) {
    return codePageToUtf16(text, codePage);
}

Text utf16ToText(const Bytes& utf16, unsigned codePage) {
    return bytesToText(utf16ToCodePage(utf16, codePage));
}

Text utf16ToAnsi(const Bytes& utf16) {
    return utf16ToText(utf16, codePageGbk);
}

// textToUtf16(65001) then utf16ToAnsi, in one pass: the decoded units before
// the terminator are never zero, and code page 936 writes no zero byte for
// them, so nothing is cut between the two steps.
Text utf8ToAnsi(const Text& utf8) {
    return utf8ToCp936(upToZero(utf8));
}

Text utf8BytesToAnsi(const Bytes& utf8) {
    return utf8ToCp936(upToZero(utf8));
}

Bytes ansiToUtf16(const Text& text) {
    return codePageToUtf16(text, codePageGbk);
}

Text ansiText(std::string_view utf8) {
    return utf8ToCp936(utf8);
}

std::string ansiToUtf8(std::string_view text) {
    return wideCharToMultiByte(codePageUtf8, multiByteToWideChar(codePageGbk, text));
}

}  // namespace navoket
