#include "platform/Base64.h"

#include <cstddef>

namespace navoket {

Text base64Encode(const Bytes& bytes) {
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    Text encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = bytes.size() - at < 3 ? bytes.size() - at : 3;
        unsigned group = 0;
        for (std::size_t i = 0; i < 3; ++i) {
            // The missing bytes of a short last group count as zero bytes.
            const unsigned byte = i < count ? static_cast<unsigned char>(bytes[at + i]) : 0U;
            group = group << 8 | byte;
        }
        for (std::size_t i = 0; i < 4; ++i) {
            encoded += i <= count ? alphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
        }
    }
    return encoded;
}

}  // namespace navoket
