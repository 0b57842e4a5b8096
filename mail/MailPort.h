#pragma once

namespace navoket {

// Every mail of the program goes to port 25, without encryption; there is no
// setting for it.
inline constexpr int mailPort = 25;

}  // namespace navoket
