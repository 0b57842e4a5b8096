#include "platform/DriveC.h"

#include <cstdlib>
#include <mutex>
#include <string_view>
#include <system_error>

namespace navoket {
namespace {

struct DriveState {
    std::mutex mutex;
    std::filesystem::path chosenRoot;
};

DriveState& driveState() {
    static DriveState state;
    return state;
}

// $XDG_DATA_HOME/navoket/drive-c, or ~/.local/share/navoket/drive-c. The XDG
// base-directory rules ignore relative values, so do we.
std::filesystem::path defaultRoot() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (dataHome != nullptr && std::filesystem::path(dataHome).is_absolute()) {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : "/tmp") / ".local" / "share";
    }
    return base / "navoket" / "drive-c";
}

}  // namespace

void setDriveRoot(const std::filesystem::path& folder) {
    std::lock_guard lock(driveState().mutex);
    driveState().chosenRoot = folder;
}

std::filesystem::path driveRoot() {
    {
        DriveState& state = driveState();
        std::lock_guard lock(state.mutex);
        if (!state.chosenRoot.empty()) {
            return state.chosenRoot;
        }
    }
    std::filesystem::path root = defaultRoot();
    // Drive C: always exists on Windows; the per-user stand-in is made when it
    // is missing, so that single-level folder creation below it works on a
    // fresh account.
    std::error_code ignored;
    if (std::filesystem::create_directories(root, ignored)) {
        std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ignored);
    }
    return root;
}

bool driveRootChosen() {
    std::lock_guard lock(driveState().mutex);
    return !driveState().chosenRoot.empty();
}

std::filesystem::path hostPath(const Text& windowsPath) {
    std::string_view rest(windowsPath.c_str());
    if (rest.size() >= 2 && rest[1] == ':') {
        rest.remove_prefix(2);
    }
    std::filesystem::path result = driveRoot();
    // "." and ".." parts are dropped so that no path leaves the drive folder.
    while (!rest.empty()) {
        const std::size_t separator = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, separator);
        if (!part.empty() && part != "." && part != "..") {
            result /= std::string(part);
        }
        if (separator == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(separator + 1);
    }
    return result;
}

}  // namespace navoket
