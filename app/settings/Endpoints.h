#pragma once

#include "platform/Bytes.h"

namespace navoket {

// Hosts of the outside services, overridable in the settings section "Endpoints"
// ("host" or "host:port"); a missing or empty key means the built-in host.
Text endpointHost(const Text& key, const Text& builtInHost);

}  // namespace navoket
