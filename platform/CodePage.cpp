#include "platform/CodePage.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/Cp936.h"
#include "platform/IconvConverter.h"

namespace navoket {

namespace {

constexpr unsigned codePageGbk = 936;
constexpr unsigned codePageUtf8 = 65001;
constexpr char32_t replacementCharacter = 0xFFFD;

// CP_ACP (0), CP_OEMCP (1) and CP_THREAD_ACP (3) name the system's own code
// pages, which are all 936 on the Simplified Chinese Windows the program keeps
// its texts for.
unsigned resolvedCodePage(unsigned codePage) {
    return codePage == 0 || codePage == 1 || codePage == 3 ? codePageGbk : codePage;
}

// Length of the run of ASCII bytes at the start of [data, data + size).
std::size_t asciiRun(const unsigned char* data, std::size_t size) {
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        if ((word & 0x8080808080808080ULL) != 0) {
            break;
        }
    }
    while (i < size && data[i] < 0x80) {
        ++i;
    }
    return i;
}

// MultiByteToWideChar(65001, 0, ...): each ill-formed part becomes one U+FFFD.
// A lead byte opens a sequence of the length it announces; the sequence ends
// early (one U+FFFD for what was taken) at a byte that is no continuation byte,
// at the end of the input, or after the first continuation byte when that
// already shows an overlong form, a surrogate or a value above U+10FFFF.
// C0, C1 and F5..FF never start a sequence. Runs of ASCII go to the sink whole.
template <class Sink>
void decodeUtf8(std::string_view text, Sink& sink) {
    const auto* data = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        const std::size_t run = asciiRun(data + i, size - i);
        if (run > 0) {
            sink.ascii(text.data() + i, run);
            i += run;
            continue;
        }
        const unsigned char lead = data[i++];
        int need;
        char32_t value;
        if (lead < 0xC2 || lead > 0xF4) {
            sink.codePoint(replacementCharacter);
            continue;
        } else if (lead < 0xE0) {
            need = 1;
            value = lead & 0x1Fu;
        } else if (lead < 0xF0) {
            need = 2;
            value = lead & 0x0Fu;
        } else {
            need = 3;
            value = lead & 0x07u;
        }
        bool valid = true;
        for (int taken = 0; taken < need; ++taken) {
            if (i >= size || (data[i] & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            value = value << 6 | (data[i++] & 0x3Fu);
            if (taken == 0) {
                // The lead byte and one continuation byte fix the range.
                const bool bad = need == 2 ? value < 0x20 || (value >= 0x360 && value <= 0x37F)
                                           : need == 3 && (value < 0x10 || value >= 0x110);
                if (bad) {
                    valid = false;
                    break;
                }
            }
        }
        sink.codePoint(valid ? value : replacementCharacter);
    }
}

struct Utf16Sink {
    std::u16string& out;
    void ascii(const char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            out.push_back(static_cast<char16_t>(bytes[i]));
        }
    }
    void codePoint(char32_t value) {
        if (value < 0x10000) {
            out.push_back(static_cast<char16_t>(value));
        } else {
            value -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 | (value >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 | (value & 0x3FF)));
        }
    }
};

struct Cp936Sink {
    std::string& out;
    void ascii(const char* bytes, std::size_t count) { out.append(bytes, count); }
    void codePoint(char32_t value) {
        if (value < 0x10000) {
            cp936::appendEncoded(static_cast<char16_t>(value), out);
        } else {
            // A surrogate pair: WideCharToMultiByte(936) writes '?' for each half.
            out.append("??");
        }
    }
};

void appendUtf8(char32_t value, std::string& out) {
    if (value < 0x80) {
        out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (value >> 6)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (value >> 12)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (value >> 18)));
        out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

// WideCharToMultiByte(65001, 0, ...): a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            appendUtf8(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00u), out);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(replacementCharacter, out);
        } else {
            appendUtf8(unit, out);
        }
    }
    return out;
}

// The iconv name of a code page the Windows functions accept.
std::optional<std::string> iconvName(unsigned codePage) {
    struct Name {
        unsigned codePage;
        const char* name;
    };
    static constexpr Name names[] = {
        {20127, "ASCII"},  {20866, "KOI8-R"},      {21866, "KOI8-U"},    {20932, "EUC-JP"},
        {51932, "EUC-JP"}, {51949, "EUC-KR"},      {20936, "GB2312"},    {54936, "GB18030"},
        {65000, "UTF-7"},  {50220, "ISO-2022-JP"}, {10000, "MACINTOSH"},
    };
    for (const auto& entry : names) {
        if (entry.codePage == codePage) {
            return entry.name;
        }
    }
    if (codePage >= 28591 && codePage <= 28606) {
        return "ISO-8859-" + std::to_string(codePage - 28590);
    }
    // Code pages that are not byte encodings are refused, as Windows does.
    if (codePage == 1200 || codePage == 1201 || codePage == 12000 || codePage == 12001) {
        return std::nullopt;
    }
    return "CP" + std::to_string(codePage);
}

}  // namespace

std::u16string multiByteToWideChar(unsigned codePage, std::string_view bytes) {
    codePage = resolvedCodePage(codePage);
    std::u16string out;
    if (codePage == codePageGbk) {
        cp936::appendUtf16(bytes, out);
    } else if (codePage == codePageUtf8) {
        out.reserve(bytes.size());
        Utf16Sink sink{out};
        decodeUtf8(bytes, sink);
    } else if (const auto name = iconvName(codePage)) {
        IconvConverter converter("UTF-16LE", name->c_str());
        if (converter.valid()) {
            out = converter.convertToUnits(bytes, u'?');
        }
    }
    return out;
}

std::string wideCharToMultiByte(unsigned codePage, std::u16string_view units) {
    codePage = resolvedCodePage(codePage);
    if (codePage == codePageGbk) {
        std::string out;
        out.reserve(units.size() * 2);
        for (const char16_t unit : units) {
            cp936::appendEncoded(unit, out);
        }
        return out;
    }
    if (codePage == codePageUtf8) {
        return utf16ToUtf8(units);
    }
    const auto name = iconvName(codePage);
    if (!name) {
        return {};
    }
    IconvConverter converter(name->c_str(), "UTF-16LE");
    if (!converter.valid()) {
        return {};
    }
    std::string utf16;
    utf16.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        utf16.push_back(static_cast<char>(unit & 0xFF));
        utf16.push_back(static_cast<char>(unit >> 8));
    }
    return converter.convert(utf16, 2, "?");
}

std::string utf8ToCp936(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    Cp936Sink sink{out};
    decodeUtf8(utf8, sink);
    return out;
}

}  // namespace navoket
