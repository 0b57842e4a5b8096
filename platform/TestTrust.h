#pragma once

#include <filesystem>

namespace navoket {

// Test-only trust: a PEM file whose certificates every TLS connection of this
// process that verifies certificates trusts in place of the system's store.
// The tests and the driver set it to trust certificates they make on the fly;
// the program itself never sets it, and an empty path goes back to the
// system's store. Verification itself is never switched off by it.
void setExtraCaFileForTesting(const std::filesystem::path& pemFile);
std::filesystem::path extraCaFileForTesting();

}  // namespace navoket
