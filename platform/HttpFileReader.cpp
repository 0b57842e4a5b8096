#include "platform/HttpFileReader.h"

#include <curl/curl.h>

#include <algorithm>

#include "platform/CurlHandle.h"
#include "platform/TestTrust.h"

namespace navoket {
namespace {

// What one read learns while libcurl calls back.
struct ReadState {
    const HttpReadOptions& options;
    HttpReadResult& result;
    CURL* handle = nullptr;
    bool tooLarge = false;
    bool statusRefused = false;
    bool sinkRefused = false;
    bool cancelled = false;
};

bool isSuccessStatus(long status) {
    return status >= 200 && status < 300;
}

// Returning fewer bytes than given makes libcurl stop with CURLE_WRITE_ERROR;
// the flags say which of our reasons it was.
std::size_t receiveBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& state = *static_cast<ReadState*>(user);
    const std::size_t length = size * count;
    if (state.options.requireSuccessStatus) {
        long status = 0;
        curl_easy_getinfo(state.handle, CURLINFO_RESPONSE_CODE, &status);
        if (!isSuccessStatus(status)) {
            state.statusRefused = true;
            return 0;
        }
    }
    if (length > state.options.maxBytes -
                     std::min<std::uint64_t>(state.result.received, state.options.maxBytes)) {
        state.tooLarge = true;
        return 0;
    }
    state.result.received += length;
    if (state.options.sink) {
        if (!state.options.sink(std::string_view(data, length))) {
            state.sinkRefused = true;
            return 0;
        }
    } else {
        state.result.body.append(data, length);
    }
    return length;
}

int reportProgress(void* user, curl_off_t expected, curl_off_t received, curl_off_t, curl_off_t) {
    auto& state = *static_cast<ReadState*>(user);
    if (state.options.progress &&
        !state.options.progress(static_cast<std::uint64_t>(std::max<curl_off_t>(received, 0)),
                                static_cast<std::uint64_t>(std::max<curl_off_t>(expected, 0)))) {
        state.cancelled = true;
        return 1;
    }
    return 0;
}

bool startsWithHttps(const Text& url) {
    constexpr std::string_view scheme = "https:";
    return url.size() >= scheme.size() &&
           std::equal(scheme.begin(), scheme.end(), url.begin(), [](char wanted, char given) {
               return wanted == (given >= 'A' && given <= 'Z' ? given - 'A' + 'a' : given);
           });
}

// Every option on purpose, the implicit ones included: libcurl sends
// "Host" and "Accept: */*" and no User-Agent; no compression is asked for, so
// the body arrives as the server stored it.
void configure(CURL* handle, const Text& url, const HttpReadOptions& options, ReadState& state) {
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    // A read that began encrypted never continues in plain text (RFC 9110
    // §15.4 leaves following a redirect to the client).
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR,
                     startsWithHttps(url) ? "https" : "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, options.maxRedirects > 0 ? 1L : 0L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, options.maxRedirects);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    const std::filesystem::path extraCa = extraCaFileForTesting();
    if (!extraCa.empty()) {
        curl_easy_setopt(handle, CURLOPT_CAINFO, extraCa.c_str());
        curl_easy_setopt(handle, CURLOPT_CAPATH, nullptr);
    }
    // Time-outs through signals would not work off the main thread.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(std::max<std::int64_t>(options.connectTimeout.count(), 1)));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS,
                     static_cast<long>(std::max<std::int64_t>(options.totalTimeout.count(), 0)));
    const auto stallSeconds =
        std::max<std::int64_t>((options.stallTimeout.count() + 999) / 1000, 1);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(stallSeconds));
    // Refused at once when the announced length is already too long.
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, receiveBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, reportProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &state);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
}

HttpReadFailure failureOf(CURLcode code, const ReadState& state) {
    switch (code) {
        case CURLE_OK:
            return state.options.requireSuccessStatus && !isSuccessStatus(state.result.status)
                       ? HttpReadFailure::errorStatus
                       : HttpReadFailure::none;
        case CURLE_WRITE_ERROR:
            if (state.tooLarge) {
                return HttpReadFailure::tooLarge;
            }
            if (state.statusRefused) {
                return HttpReadFailure::errorStatus;
            }
            return state.sinkRefused ? HttpReadFailure::sinkFailed
                                     : HttpReadFailure::transferFailed;
        case CURLE_FILESIZE_EXCEEDED:
            return HttpReadFailure::tooLarge;
        case CURLE_ABORTED_BY_CALLBACK:
            return state.cancelled ? HttpReadFailure::cancelled : HttpReadFailure::transferFailed;
        case CURLE_URL_MALFORMAT:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return HttpReadFailure::unreachable;
        case CURLE_OPERATION_TIMEDOUT:
            return HttpReadFailure::timedOut;
        case CURLE_UNSUPPORTED_PROTOCOL:
            return HttpReadFailure::protocolRefused;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_CRL_BADFILE:
            return HttpReadFailure::tlsFailure;
        default:
            return HttpReadFailure::transferFailed;
    }
}

}  // namespace

HttpReadResult readHttpFile(const Text& url, const HttpReadOptions& options) {
    HttpReadResult result;
    CurlHandle easy;
    if (!easy.valid()) {
        result.failure = HttpReadFailure::transferFailed;
        return result;
    }
    ReadState state{options, result, easy.get()};
    configure(easy.get(), url, options, state);
    const CURLcode code = curl_easy_perform(easy.get());
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &result.status);
    result.failure = failureOf(code, state);
    if (result.failure != HttpReadFailure::none) {
        result.body.clear();
    }
    return result;
}

Bytes httpFileBytes(const Text& url) {
    return readHttpFile(url).body;
}

}  // namespace navoket
