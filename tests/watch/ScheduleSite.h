#pragma once

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/PeerProcess.h"

namespace navoket::test {

// The schedule-site stand-in (tools/schedule-site) as a child process, with its
// control channel reached through a bare libcurl request so that the code under
// test never drives its own fixtures.
class ScheduleSite {
public:
    ScheduleSite()
        : m_peer({"/usr/bin/python3", NAVOKET_SOURCE_DIR "/tools/schedule-site/schedule_site.py"}) {
    }

    bool ready() const { return m_peer.ready(); }
    // "127.0.0.1:PORT", as the settings' Endpoints/schedule takes it.
    std::string host() const { return "127.0.0.1:" + std::to_string(m_peer.port()); }

    // rows: "port,ETA,ETD" separated by ";"; names and rows in UTF-8.
    void setSchedule(const std::string& vessel, const std::string& rows) {
        control("/control/schedule", "vessel=" + escape(vessel) + "&text=" + escape(rows));
    }
    // The vessel's whole reply page, byte for byte, with that status; a cut
    // reply announces more bytes than it sends and then closes.
    void setPage(const std::string& vessel, const std::string& page, int status = 200,
                 bool cut = false) {
        control("/control/page?vessel=" + escape(vessel) + "&status=" + std::to_string(status) +
                    (cut ? "&cut=1" : ""),
                page);
    }
    void remove(const std::string& vessel) {
        control("/control/remove", "vessel=" + escape(vessel));
    }
    // The body of the latest schedule request as it arrived.
    std::string lastRequest() { return exchange("/control/last", nullptr); }

private:
    struct CurlCleanup {
        void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
    };
    struct CurlFree {
        void operator()(char* text) const { curl_free(text); }
    };
    using Curl = std::unique_ptr<CURL, CurlCleanup>;

    static size_t collect(char* data, size_t size, size_t count, void* sink) {
        static_cast<std::string*>(sink)->append(data, size * count);
        return size * count;
    }

    static std::string escape(const std::string& text) {
        const Curl curl(curl_easy_init());
        const std::unique_ptr<char, CurlFree> escaped(
            curl_easy_escape(curl.get(), text.data(), static_cast<int>(text.size())));
        return escaped ? std::string(escaped.get()) : std::string();
    }

    void control(const std::string& path, const std::string& body) {
        EXPECT_EQ(exchange(path, &body), "ok\n") << path;
    }

    // A GET without a body, a POST with one; the reply body, empty on failure.
    std::string exchange(const std::string& path, const std::string* body) {
        const Curl curl(curl_easy_init());
        std::string reply;
        const std::string url = "http://" + host() + path;
        curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*");
        curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 20L);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &ScheduleSite::collect);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply);
        if (body != nullptr) {
            curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body->data());
            curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(body->size()));
        }
        const CURLcode code = curl_easy_perform(curl.get());
        EXPECT_EQ(code, CURLE_OK) << curl_easy_strerror(code);
        return reply;
    }

    PeerProcess m_peer;
};

}  // namespace navoket::test
