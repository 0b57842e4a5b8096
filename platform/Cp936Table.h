#pragma once

#include <cstddef>

namespace navoket::cp936 {

// Lead bytes of code page 936 (GetCPInfoEx: one range 81..FE); trail bytes of
// the recorded pair table run from 40 to FE.
inline constexpr unsigned char leadFirst = 0x81;
inline constexpr unsigned char leadLast = 0xFE;
inline constexpr unsigned char trailFirst = 0x40;
inline constexpr unsigned char trailLast = 0xFE;
inline constexpr int trailCount = trailLast - trailFirst + 1;

// A one-way mapping of WideCharToMultiByte: the code point is written as these
// bytes (one byte below 0x100, else lead << 8 | trail) but they decode to
// something else.
struct BestFit {
    char16_t codePoint;
    unsigned short bytes;
};

// MultiByteToWideChar of every single byte (a lone lead byte gives '?').
extern const char16_t singleByteUnits[256];
// MultiByteToWideChar of every pair, row by lead byte, column by trail byte.
extern const char16_t pairUnits[(leadLast - leadFirst + 1) * trailCount];
extern const BestFit bestFits[];
extern const std::size_t bestFitCount;

}  // namespace navoket::cp936
