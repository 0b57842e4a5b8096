#include "web/CharsetText.h"

#include <string>

#include "platform/CodePage.h"
#include "platform/IconvConverter.h"
#include "text/CodePageText.h"
#include "text/TextSearch.h"

namespace navoket {

namespace {

bool isUtf8Name(const Text& charset) {
    return charset.size() == 5 && searchForward(charset, "utf-8", 1, true) == 1;
}

}  // namespace

std::optional<Text> charsetToAnsi(const Bytes& bytes, const Text& charset) {
    std::u16string units;
    if (isUtf8Name(charset)) {
        // Windows' own UTF-8 decoding, invalid sequences included.
        units = multiByteToWideChar(codePageUtf8, bytes);
    } else {
        // A name with a "/" would carry iconv's own suffixes (//TRANSLIT).
        if (charset.empty() || charset.find('/') != Text::npos) {
            return std::nullopt;
        }
        IconvConverter converter("UTF-16LE", charset.c_str());
        if (!converter.valid()) {
            return std::nullopt;
        }
        units = converter.convertToUnits(bytes, u'\uFFFD');
    }
    if (!units.empty() && units.front() == u'\uFEFF') {
        units.erase(0, 1);
    }
    return bytesToText(wideCharToMultiByte(codePageGbk, units));
}

}  // namespace navoket
