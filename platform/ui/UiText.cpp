#include "platform/ui/UiText.h"

#include "text/CodePageText.h"

namespace navoket {

QString toQString(const Text& text) {
    const Bytes utf16 = ansiToUtf16(text);
    QString string;
    string.reserve(static_cast<qsizetype>(utf16.size() / 2));
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
        const auto low = static_cast<unsigned char>(utf16[i]);
        const auto high = static_cast<unsigned char>(utf16[i + 1]);
        const auto unit = static_cast<char16_t>(low | (high << 8U));
        if (unit == 0) {
            break;
        }
        string.append(QChar(unit));
    }
    return string;
}

Text fromQString(const QString& string) {
    Bytes utf16;
    utf16.reserve(static_cast<std::size_t>(string.size()) * 2 + 2);
    for (const QChar c : string) {
        const char16_t unit = c.unicode();
        utf16.push_back(static_cast<char>(unit & 0xFFU));
        utf16.push_back(static_cast<char>(unit >> 8U));
    }
    utf16.append(2, '\0');
    return utf16ToAnsi(utf16);
}

}  // namespace navoket
