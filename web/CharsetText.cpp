#include "web/CharsetText.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <string>

#include "platform/CodePage.h"
#include "text/CodePageText.h"
#include "text/TextSearch.h"

namespace navoket {

namespace {

// Owns one iconv descriptor that decodes a charset into UTF-16LE.
class Utf16Decoder {
public:
    explicit Utf16Decoder(const Text& charset)
        : m_handle(iconv_open("UTF-16LE", charset.c_str())) {}
    ~Utf16Decoder() {
        if (valid()) {
            iconv_close(m_handle);
        }
    }
    Utf16Decoder(const Utf16Decoder&) = delete;
    Utf16Decoder& operator=(const Utf16Decoder&) = delete;

    bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    // Every byte that does not decode becomes one U+FFFD, and decoding goes on
    // behind it.
    std::u16string decode(const Bytes& bytes) {
        std::u16string units;
        char buffer[8192];
        auto* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        while (true) {
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result =
                iconv(m_handle, inLeft > 0 ? &in : nullptr, &inLeft, &out, &outLeft);
            const int error = errno;
            append(buffer, sizeof buffer - outLeft, units);
            if (result != static_cast<std::size_t>(-1)) {
                if (inLeft == 0) {
                    return units;
                }
                continue;
            }
            if (error == E2BIG) {
                continue;
            }
            // EILSEQ or an incomplete sequence at the end: one byte is lost.
            units.push_back(u'\uFFFD');
            if (inLeft == 0) {
                return units;
            }
            ++in;
            --inLeft;
            iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        }
    }

private:
    static void append(const char* bytes, std::size_t size, std::u16string& units) {
        for (std::size_t i = 0; i + 1 < size; i += 2) {
            units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
    }

    iconv_t m_handle;
};

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
        Utf16Decoder decoder(charset);
        if (!decoder.valid()) {
            return std::nullopt;
        }
        units = decoder.decode(bytes);
    }
    if (!units.empty() && units.front() == u'\uFEFF') {
        units.erase(0, 1);
    }
    return bytesToText(wideCharToMultiByte(codePageGbk, units));
}

}  // namespace navoket
