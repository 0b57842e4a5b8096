#include "tools/driver/ByteJson.h"

#include <cstdio>

namespace navoket::driver {
namespace {

// The parser has checked the UTF-8 already, so only well-formed sequences
// arrive here; every character above U+00FF fails.
std::optional<std::string> latin1Bytes(const std::string& utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes.push_back(static_cast<char>(lead));
            continue;
        }
        // Two-byte sequences starting with C2 or C3 encode U+0080..U+00FF.
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            bytes.push_back(static_cast<char>(((lead & 0x03U) << 6U) | (next & 0x3FU)));
            ++i;
            continue;
        }
        return std::nullopt;
    }
    return bytes;
}

void appendByteString(std::string& json, const std::string& bytes) {
    json.push_back('"');
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            json.push_back('\\');
            json.push_back(c);
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escape[7];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            json.append(escape);
        } else {
            json.push_back(c);
        }
    }
    json.push_back('"');
}

void appendValue(std::string& json, const Json& value) {
    if (value.is_string()) {
        appendByteString(json, value.get_ref<const std::string&>());
    } else if (value.is_array()) {
        json.push_back('[');
        bool first = true;
        for (const Json& element : value) {
            if (!first) {
                json.push_back(',');
            }
            first = false;
            appendValue(json, element);
        }
        json.push_back(']');
    } else if (value.is_object()) {
        json.push_back('{');
        bool first = true;
        for (const auto& [key, element] : value.items()) {
            if (!first) {
                json.push_back(',');
            }
            first = false;
            appendByteString(json, key);
            json.push_back(':');
            appendValue(json, element);
        }
        json.push_back('}');
    } else if (value.is_discarded()) {
        json.append("null");
    } else {
        json.append(value.dump());
    }
}

}  // namespace

bool decodeByteStrings(Json& value) {
    if (value.is_string()) {
        auto bytes = latin1Bytes(value.get_ref<const std::string&>());
        if (!bytes) {
            return false;
        }
        value = std::move(*bytes);
        return true;
    }
    if (value.is_array()) {
        for (Json& element : value) {
            if (!decodeByteStrings(element)) {
                return false;
            }
        }
        return true;
    }
    if (value.is_object()) {
        Json decoded = Json::object();
        for (auto& [key, element] : value.items()) {
            auto keyBytes = latin1Bytes(key);
            if (!keyBytes || !decodeByteStrings(element)) {
                return false;
            }
            decoded[*keyBytes] = std::move(element);
        }
        value = std::move(decoded);
    }
    return true;
}

std::string encodeByteJson(const Json& value) {
    std::string json;
    appendValue(json, value);
    return json;
}

}  // namespace navoket::driver
