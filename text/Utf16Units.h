#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Bytes.h"

namespace navoket {

// The UTF-16 code units of a code-page-936 text, read up to its first zero
// byte, as an automation call receives the text (no terminator).
std::u16string ansiToUnits(const Text& text);
// Code units back to code-page-936 text, up to the first zero unit; characters
// that code page 936 lacks become Windows' default character.
Text unitsToAnsi(std::u16string_view units);

// A code-page-936 text as code units together with the byte offset at which
// each unit's character starts; byteOffsets has one more entry than units,
// the text's length, so that a span of units maps onto a span of bytes.
struct UnitsWithOffsets {
    std::u16string units;
    std::vector<std::uint32_t> byteOffsets;
};
UnitsWithOffsets ansiToUnitsWithOffsets(const Text& text);

}  // namespace navoket
