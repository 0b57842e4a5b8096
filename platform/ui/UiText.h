#pragma once

#include <QString>

#include "platform/Bytes.h"

namespace navoket {

// The one crossing between the program's code-page-936 texts and Qt's UTF-16
// strings, used only where a text meets a widget. Unmappable characters come
// back as "?", as Windows does.
QString toQString(const Text& text);
Text fromQString(const QString& string);

}  // namespace navoket
