#include "web/CurlHandle.h"

#include <mutex>

namespace navoket {

namespace {

// curl_global_init is not safe to race with itself; run it once per process.
void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

CurlHandle::CurlHandle() {
    initialiseCurlOnce();
    m_handle = curl_easy_init();
}

CurlHandle::~CurlHandle() {
    if (m_handle != nullptr) {
        curl_easy_cleanup(m_handle);
    }
    curl_slist_free_all(m_headers);
}

bool CurlHandle::appendHeader(const std::string& line) {
    curl_slist* extended = curl_slist_append(m_headers, line.c_str());
    if (extended == nullptr) {
        return false;
    }
    m_headers = extended;
    return true;
}

bool CurlHandle::applyHeaders() {
    return m_handle != nullptr &&
           curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, m_headers) == CURLE_OK;
}

}  // namespace navoket
