#include "text/DecodeUnicodeBytes.h"

#include <string_view>

#include "text/CodePageText.h"

namespace navoket {

Text decodeUnicodeBytes(const Bytes& bytes) {
    std::string_view units = bytes;
    if (units.starts_with("\xFF\xFE")) {
        units.remove_prefix(2);
    }
    units = units.substr(0, units.size() - units.size() % 2);
    return utf16ToAnsi(Bytes(units));
}

}  // namespace navoket
