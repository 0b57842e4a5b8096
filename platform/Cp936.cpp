#include "platform/Cp936.h"

#include <array>

#include "platform/Cp936Table.h"

namespace navoket::cp936 {

namespace {

using EncodeTable = std::array<unsigned short, 0x10000>;

bool isLeadByte(unsigned char byte) {
    return byte >= leadFirst && byte <= leadLast;
}

// The reverse of the decoding tables plus the one-way best fits; whatever is
// left (surrogates, unmapped code points) stays the default character '?'.
EncodeTable buildEncodeTable() {
    EncodeTable table;
    table.fill('?');
    for (unsigned byte = 0; byte < 0x100; ++byte) {
        if (!isLeadByte(static_cast<unsigned char>(byte))) {
            table[singleByteUnits[byte]] = static_cast<unsigned short>(byte);
        }
    }
    for (unsigned lead = leadFirst; lead <= leadLast; ++lead) {
        for (unsigned trail = trailFirst; trail <= trailLast; ++trail) {
            const char16_t unit = pairUnits[(lead - leadFirst) * trailCount + (trail - trailFirst)];
            if (unit != u'?') {
                table[unit] = static_cast<unsigned short>(lead << 8 | trail);
            }
        }
    }
    for (std::size_t i = 0; i < bestFitCount; ++i) {
        table[bestFits[i].codePoint] = bestFits[i].bytes;
    }
    return table;
}

}  // namespace

void appendUtf16(std::string_view bytes, std::u16string& out) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    out.reserve(out.size() + size);
    std::size_t i = 0;
    while (i < size) {
        const unsigned char byte = data[i];
        if (isLeadByte(byte) && i + 1 < size && data[i + 1] != 0) {
            const unsigned char trail = data[i + 1];
            out.push_back(trail >= trailFirst && trail <= trailLast
                              ? pairUnits[(byte - leadFirst) * trailCount + (trail - trailFirst)]
                              : u'?');
            i += 2;
        } else {
            out.push_back(singleByteUnits[byte]);
            ++i;
        }
    }
}

unsigned short encodeUnit(char16_t unit) {
    static const EncodeTable table = buildEncodeTable();
    return table[unit];
}

}  // namespace navoket::cp936
