#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "tests/support/PeerProcess.h"

namespace navoket::test {

// The loopback SMTP peers of tests/support, asked over their stdin channel.

inline nlohmann::json askPeer(PeerProcess& peer, const std::string& command) {
    if (!peer.writeLine(command)) {
        return nlohmann::json();
    }
    const auto line = peer.readLine();
    return line ? nlohmann::json::parse(*line, nullptr, false) : nlohmann::json();
}

inline std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t at = 0; at + 1 < hex.size(); at += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(at, 2), nullptr, 16));
    }
    return bytes;
}

// smtp_peer.py: the lines it received, as "N:line" with N the connection.
inline std::vector<std::string> peerLines(PeerProcess& peer) {
    const nlohmann::json log = askPeer(peer, R"({"cmd":"log"})");
    std::vector<std::string> lines;
    for (const auto& entry : log["lines"]) {
        lines.push_back(std::to_string(entry[0].get<int>()) + ":" + entry[1].get<std::string>());
    }
    return lines;
}

// smtp_peer.py: the raw data of each mail received.
inline std::vector<std::string> peerMessages(PeerProcess& peer) {
    const nlohmann::json log = askPeer(peer, R"({"cmd":"log"})");
    std::vector<std::string> messages;
    for (const auto& entry : log["messages"]) {
        messages.push_back(fromHex(entry[1].get<std::string>()));
    }
    return messages;
}

// smtp_server.py: the mails it accepted, oldest first.
inline nlohmann::json serverMessages(PeerProcess& server) {
    return askPeer(server, R"({"cmd":"messages"})")["messages"];
}

}  // namespace navoket::test
