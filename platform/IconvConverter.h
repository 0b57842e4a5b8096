#pragma once

#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace navoket {

// Owns one iconv conversion descriptor.
class IconvConverter {
public:
    IconvConverter(const char* to, const char* from);
    ~IconvConverter();
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // False when iconv does not know one of the two encodings.
    bool valid() const;

    // Converts all of `in`; an input unit that cannot be converted (of
    // `unitSize` bytes) is skipped and `replacement` written in its place.
    std::string convert(std::string_view in, std::size_t unitSize, std::string_view replacement);
    // convert for a converter to "UTF-16LE", as code units; `replacement`
    // stands for each input byte that cannot be converted.
    std::u16string convertToUnits(std::string_view in, char16_t replacement);

private:
    iconv_t m_handle;
};

}  // namespace navoket
