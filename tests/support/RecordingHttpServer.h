#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "tests/support/PeerProcess.h"

namespace navoket::test {

// The recording HTTP(S) peer (recording_http_server.py) on a loopback address.
// Replies are scripted as JSON objects (see the script for their keys); texts
// inside them are byte strings and are carried as latin-1 in the JSON.
class RecordingHttpServer {
public:
    struct Options {
        std::string host = "127.0.0.1";
        bool tls = false;
        bool blackhole = false;  // never accepts: connecting times out
        // With tls: where the server's certificate (naming the host) is
        // copied, for a client to trust.
        std::string certificateOut;
    };

    RecordingHttpServer();
    explicit RecordingHttpServer(const Options& options);

    bool ready() const { return m_peer.ready(); }
    int port() const { return m_peer.port(); }
    // "http://HOST:PORT" (or https) followed by the path.
    std::string url(const std::string& path = "/") const;

    // Queues replies for the next requests, in order.
    bool script(const std::vector<nlohmann::json>& replies);
    // The exact bytes (head and body) of every request received so far.
    std::vector<std::string> requests();
    // The client address of every request received so far.
    std::vector<std::string> peers();
    bool clear();

    // Bytes as the latin-1 characters of a JSON string, and back.
    static std::string toJsonText(const std::string& bytes);
    static std::string fromJsonText(const std::string& utf8);

private:
    nlohmann::json command(const nlohmann::json& request);
    // One field of every request received so far, in order.
    std::vector<std::string> recordedField(const char* key);

    Options m_options;
    PeerProcess m_peer;
};

}  // namespace navoket::test
