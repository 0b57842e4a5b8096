#include "platform/ui/UiText.h"

#include <string_view>

#include "text/Utf16Units.h"

namespace navoket {

QString toQString(const Text& text) {
    return QString::fromStdU16String(ansiToUnits(text));
}

Text fromQString(const QString& string) {
    return unitsToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(string.utf16()),
                                           static_cast<std::size_t>(string.size())));
}

}  // namespace navoket
