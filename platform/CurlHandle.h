#pragma once

#include <curl/curl.h>

#include <string>

namespace navoket {

// Owns one libcurl easy handle and the header list set on it; both are freed
// together when the owner goes, never earlier (libcurl keeps pointing at the
// list while the handle lives).
class CurlHandle {
public:
    CurlHandle();
    ~CurlHandle();
    CurlHandle(const CurlHandle&) = delete;
    CurlHandle& operator=(const CurlHandle&) = delete;

    // False when libcurl could not create the handle.
    bool valid() const { return m_handle != nullptr; }
    CURL* get() const { return m_handle; }

    // Appends one line to the request header list; false when libcurl could not
    // allocate it (the list so far stays intact).
    bool appendHeader(const std::string& line);
    // Hands the list to the handle as CURLOPT_HTTPHEADER.
    bool applyHeaders();

private:
    CURL* m_handle = nullptr;
    curl_slist* m_headers = nullptr;
    curl_slist* m_lastHeader = nullptr;  // appending stays constant-time for long lists
};

}  // namespace navoket
