#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "tests/support/RecordingHttpServer.h"

namespace navoket::test {

// The driver's texts as JSON strings: one character per byte.
inline std::string chars(const std::string& bytes) {
    return RecordingHttpServer::toJsonText(bytes);
}

// The bytes of a text the driver gave back; empty for any other value.
inline std::string bytesOf(const nlohmann::json& value) {
    return value.is_string() ? RecordingHttpServer::fromJsonText(value.get<std::string>()) : "";
}

}  // namespace navoket::test
