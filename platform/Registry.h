#pragma once

#include <cstdint>
#include <optional>

#include "platform/Bytes.h"

namespace navoket {

// The window runtime's root code for HKEY_CURRENT_USER, the only root kept.
inline constexpr int registryCurrentUser = 3;

// A stand-in for REG_DWORD values: one INI file per root below the drive
// folder (<drive root>/.registry/HKEY_CURRENT_USER.ini), a section per key
// path and a decimal number per value name. Key paths and value names match
// without regard to ASCII case, as in the registry.

// Creates the key as needed and replaces an earlier value. False for another
// root, a name that cannot be stored, or a file that cannot be written.
bool registrySetDword(int rootCode, const Text& keyPath, const Text& valueName,
                      std::uint32_t value);

// The value, or nothing when it is missing or not a 32-bit number.
std::optional<std::uint32_t> registryGetDword(int rootCode, const Text& keyPath,
                                              const Text& valueName);

}  // namespace navoket
