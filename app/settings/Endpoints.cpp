#include "app/settings/Endpoints.h"

#include "app/settings/Settings.h"

namespace navoket {
namespace {

// A host is "name" or "name:port". Anything that could carry a scheme, a path,
// a query or user information is not one, so the built-in host is used.
bool looksLikeHost(const Text& value) {
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '/' || c == '\\' || c == '?' || c == '#' ||
            c == '@') {
            return false;
        }
    }
    return true;
}

}  // namespace

Text endpointHost(const Text& key, const Text& builtInHost) {
    const Text configured = readSetting("Endpoints", key);
    if (configured.empty() || !looksLikeHost(configured)) {
        return builtInHost;
    }
    return configured;
}

}  // namespace navoket
