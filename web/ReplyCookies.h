#pragma once

#include "platform/Bytes.h"

namespace navoket {

// The cookies of a reply's header lines as a cookie text ("a=1; b=2"): a line
// counts when the text before its first ": " is exactly "Set-Cookie"; it gives
// its first name=value pair (the text between "Set-Cookie:" and the first ";"),
// or, without ";", the line with every "Set-Cookie:" removed, trimmed.
Text collectReplyCookies(const Text& headerBlock);

}  // namespace navoket
