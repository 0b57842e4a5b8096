#include "tests/support/RecordingHttpServer.h"

#include <optional>

namespace navoket::test {

namespace {

std::vector<std::string> serverArguments(const RecordingHttpServer::Options& options) {
    std::vector<std::string> arguments{"--host", options.host};
    if (options.tls) {
        arguments.emplace_back("--tls");
    }
    if (options.blackhole) {
        arguments.emplace_back("--blackhole");
    }
    if (!options.certificateOut.empty()) {
        arguments.insert(arguments.end(), {"--cert-out", options.certificateOut});
    }
    return PeerProcess::pythonScript("recording_http_server.py", arguments);
}

// Latin-1 strings of JSON replies may hold any byte; replace bytes JSON cannot
// carry as UTF-8 by their latin-1 characters.
nlohmann::json withJsonTexts(const nlohmann::json& value) {
    if (value.is_string()) {
        return RecordingHttpServer::toJsonText(value.get<std::string>());
    }
    if (value.is_array() || value.is_object()) {
        nlohmann::json copy = value;
        for (auto& item : copy) {
            item = withJsonTexts(item);
        }
        return copy;
    }
    return value;
}

}  // namespace

RecordingHttpServer::RecordingHttpServer() : RecordingHttpServer(Options{}) {}

RecordingHttpServer::RecordingHttpServer(const Options& options)
    : m_options(options), m_peer(serverArguments(options)) {}

std::string RecordingHttpServer::url(const std::string& path) const {
    return (m_options.tls ? "https://" : "http://") + m_options.host + ":" +
           std::to_string(port()) + path;
}

bool RecordingHttpServer::script(const std::vector<nlohmann::json>& replies) {
    nlohmann::json list = nlohmann::json::array();
    for (const nlohmann::json& reply : replies) {
        list.push_back(withJsonTexts(reply));
    }
    return command({{"cmd", "script"}, {"replies", list}}).value("ok", false);
}

std::vector<std::string> RecordingHttpServer::requests() {
    std::vector<std::string> result;
    for (const std::string& bytes : recordedField("bytes")) {
        result.push_back(fromJsonText(bytes));
    }
    return result;
}

std::vector<std::string> RecordingHttpServer::peers() {
    return recordedField("peer");
}

bool RecordingHttpServer::clear() {
    return command({{"cmd", "clear"}}).value("ok", false);
}

std::vector<std::string> RecordingHttpServer::recordedField(const char* key) {
    std::vector<std::string> result;
    const nlohmann::json answer = command({{"cmd", "requests"}});
    for (const nlohmann::json& request : answer.value("requests", nlohmann::json::array())) {
        result.push_back(request.value(key, ""));
    }
    return result;
}

nlohmann::json RecordingHttpServer::command(const nlohmann::json& request) {
    if (!m_peer.writeLine(request.dump(-1, ' ', true))) {
        return nlohmann::json::object();
    }
    const std::optional<std::string> line = m_peer.readLine();
    if (!line) {
        return nlohmann::json::object();
    }
    return nlohmann::json::parse(*line, nullptr, false);
}

std::string RecordingHttpServer::toJsonText(const std::string& bytes) {
    std::string utf8;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

std::string RecordingHttpServer::fromJsonText(const std::string& utf8) {
    std::string bytes;
    for (size_t at = 0; at < utf8.size(); ++at) {
        const auto byte = static_cast<unsigned char>(utf8[at]);
        if (byte >= 0xC0 && at + 1 < utf8.size()) {
            bytes += static_cast<char>(((byte & 0x03) << 6) |
                                       (static_cast<unsigned char>(utf8[at + 1]) & 0x3F));
            ++at;
        } else {
            bytes += static_cast<char>(byte);
        }
    }
    return bytes;
}

}  // namespace navoket::test
