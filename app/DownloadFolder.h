#pragma once

#include <filesystem>

namespace navoket {

// Where the update is saved: "Downloads" below the chosen drive folder while
// the demo, the tests or the driver choose one (nothing leaves that folder),
// otherwise the user's download folder (XDG_DOWNLOAD_DIR, else ~/Downloads).
std::filesystem::path downloadFolder();

}  // namespace navoket
