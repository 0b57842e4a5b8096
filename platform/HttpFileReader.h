#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/Bytes.h"

namespace navoket {

// Why a read gave no body.
enum class HttpReadFailure {
    none,
    unreachable,      // no connection: refused, no route, unknown host
    tlsFailure,       // handshake failed or the certificate did not verify
    timedOut,         // connect, stall or total time-out
    transferFailed,   // the connection broke: cut off mid-way, no reply, bad reply
    protocolRefused,  // a scheme not allowed, e.g. an https read redirected to http
    tooLarge,         // more body bytes than the reader's cap
    errorStatus,      // a reply other than 2xx where only success is accepted
    sinkFailed,       // the caller's sink refused the bytes (disk full, …)
    cancelled,        // the caller's progress callback asked to stop
};

struct HttpReadOptions {
    // Replies longer than this fail with tooLarge; the body is never cut.
    std::size_t maxBytes = 64 * 1024;
    std::chrono::milliseconds connectTimeout{10000};
    // The whole read, redirects included; zero means no bound.
    std::chrono::milliseconds totalTimeout{30000};
    // Fails when not one byte arrived for this long (whole seconds, at least 1).
    std::chrono::milliseconds stallTimeout{30000};
    // Follows up to this many redirects. An https read only ever goes on to
    // https addresses: a redirect to plain http fails with protocolRefused.
    long maxRedirects = 5;
    // Only a 2xx reply delivers its body; any other fails with errorStatus.
    bool requireSuccessStatus = false;
    // When set, body bytes go here as they arrive instead of into the result;
    // false stops the read with sinkFailed.
    std::function<bool(std::string_view bytes)> sink;
    // Called now and then with the bytes received and the length announced
    // (0 when unknown); false stops the read with cancelled.
    std::function<bool(std::uint64_t received, std::uint64_t expected)> progress;
};

struct HttpReadResult {
    HttpReadFailure failure = HttpReadFailure::none;
    long status = 0;  // the last reply's status code; 0 when none came
    Bytes body;       // without a sink: the whole body; empty after any failure
    std::uint64_t received = 0;

    // A reply was read completely, whatever its status.
    bool replied() const { return failure == HttpReadFailure::none; }
    // A complete 2xx reply.
    bool succeeded() const { return replied() && status >= 200 && status < 300; }
};

// The window runtime's HTTP file reader: one GET of the address (http or https;
// certificates are verified), the reply body whatever the status, bounded in
// size and time. Safe to call from several threads at once.
HttpReadResult readHttpFile(const Text& url, const HttpReadOptions& options = {});

// The reader as the program's code sees it: the body bytes whatever the
// status, none when the server cannot be reached or the read fails.
Bytes httpFileBytes(const Text& url);

}  // namespace navoket
