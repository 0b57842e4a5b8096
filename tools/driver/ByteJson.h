#pragma once

// The driver's value rules: inside a request every JSON string character
// U+0000..U+00FF stands for one byte; a reply writes bytes 0x00-0x1F and
// 0x7F-0xFF as \u00XX and every other byte as the ASCII character it is.

#include <optional>
#include <string>

#include "tools/driver/CallTable.h"

namespace navoket::driver {

// Replaces every string in value (object keys included) by its bytes. Gives
// false, leaving value partly converted, when a character lies above U+00FF.
bool decodeByteStrings(Json& value);

// value written as JSON text with its strings taken as bytes.
std::string encodeByteJson(const Json& value);

}  // namespace navoket::driver
