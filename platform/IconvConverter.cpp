#include "platform/IconvConverter.h"

#include <algorithm>
#include <cerrno>

namespace navoket {

IconvConverter::IconvConverter(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}

IconvConverter::~IconvConverter() {
    if (valid()) {
        iconv_close(m_handle);
    }
}

bool IconvConverter::valid() const {
    return m_handle != reinterpret_cast<iconv_t>(-1);
}

std::string IconvConverter::convert(std::string_view in, std::size_t unitSize,
                                    std::string_view replacement) {
    std::string out;
    char buffer[4096];
    auto* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(m_handle, &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.append(buffer, sizeof buffer - outLeft);
        if (result != static_cast<std::size_t>(-1) || error == E2BIG) {
            continue;
        }
        // EILSEQ, or an incomplete sequence at the end: the unit is lost and
        // conversion goes on behind it from the initial state.
        out.append(replacement);
        const std::size_t skip = std::min(unitSize, inLeft);
        inPtr += skip;
        inLeft -= skip;
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::u16string IconvConverter::convertToUnits(std::string_view in, char16_t replacement) {
    const char replacementBytes[] = {static_cast<char>(replacement & 0xFF),
                                     static_cast<char>(replacement >> 8)};
    const std::string utf16 = convert(in, 1, std::string_view(replacementBytes, 2));
    std::u16string units(utf16.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                         static_cast<unsigned char>(utf16[2 * i + 1]) << 8);
    }
    return units;
}

}  // namespace navoket
