#include "platform/Registry.h"

#include <charconv>
#include <filesystem>
#include <string>

#include "platform/DriveC.h"
#include "platform/Files.h"
#include "platform/PrivateProfile.h"

namespace navoket {
namespace {

std::filesystem::path registryFolder() {
    return driveRoot() / ".registry";
}

std::filesystem::path currentUserHive() {
    return registryFolder() / "HKEY_CURRENT_USER.ini";
}

}  // namespace

bool registrySetDword(int rootCode, const Text& keyPath, const Text& valueName,
                      std::uint32_t value) {
    if (rootCode != registryCurrentUser || !createHostFolder(registryFolder())) {
        return false;
    }
    return storeProfileValue(currentUserHive(), keyPath, valueName, std::to_string(value));
}

std::optional<std::uint32_t> registryGetDword(int rootCode, const Text& keyPath,
                                              const Text& valueName) {
    if (rootCode != registryCurrentUser) {
        return std::nullopt;
    }
    const std::optional<Text> stored = profileValue(currentUserHive(), keyPath, valueName);
    if (!stored || stored->empty()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    const char* end = stored->data() + stored->size();
    const auto [stop, error] = std::from_chars(stored->data(), end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace navoket
