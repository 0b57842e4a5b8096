// The driver's test trust: when NAVOKET_DRIVER_CA_FILE names a PEM file, every
// TLS connection of the driver process that verifies certificates trusts the
// certificates in it instead of the system's store. Read once, at start.

#include <cstdlib>

#include "platform/TestTrust.h"

namespace navoket::driver {
namespace {

const bool testTrustTaken = [] {
    const char* pemFile = std::getenv("NAVOKET_DRIVER_CA_FILE");
    if (pemFile != nullptr && *pemFile != '\0') {
        setExtraCaFileForTesting(pemFile);
    }
    return true;
}();

}  // namespace
}  // namespace navoket::driver
