#include "text/Utf16Units.h"

#include "platform/CodePage.h"
#include "text/CodePageText.h"

namespace navoket {
namespace {

// Code page 936 turns a lead byte (81..FE) and the byte after it into one
// UTF-16 unit, whether or not the pair is defined, and every other byte into
// one unit; a lead byte at the very end stands alone. Units and characters
// therefore pair up one to one (the text holds no zero byte).
std::size_t characterLength(const Text& text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    return (byte >= 0x81 && byte <= 0xFE && at + 1 < text.size()) ? 2 : 1;
}

}  // namespace

std::u16string ansiToUnits(const Text& text) {
    return multiByteToWideChar(codePageGbk, bytesToText(text));
}

Text unitsToAnsi(std::u16string_view units) {
    return wideCharToMultiByte(codePageGbk, units.substr(0, units.find(u'\0')));
}

UnitsWithOffsets ansiToUnitsWithOffsets(const Text& text) {
    const Text bytes = bytesToText(text);
    UnitsWithOffsets result{ansiToUnits(bytes), {}};
    result.byteOffsets.reserve(result.units.size() + 1);
    for (std::size_t at = 0; at < bytes.size(); at += characterLength(bytes, at)) {
        result.byteOffsets.push_back(static_cast<std::uint32_t>(at));
    }
    result.byteOffsets.push_back(static_cast<std::uint32_t>(bytes.size()));
    return result;
}

}  // namespace navoket
