#include "platform/CurlHandle.h"

#include <mutex>

namespace navoket {

namespace {

// Every easy handle of the program is made here, so this one guard keeps two
// threads from running curl_global_init at once, which libcurl does not allow.
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
    // curl_slist_append walks the whole list to its end; a one-entry list
    // linked on behind the last entry does not.
    curl_slist* entry = curl_slist_append(nullptr, line.c_str());
    if (entry == nullptr) {
        return false;
    }
    if (m_lastHeader == nullptr) {
        m_headers = entry;
    } else {
        m_lastHeader->next = entry;
    }
    m_lastHeader = entry;
    return true;
}

bool CurlHandle::applyHeaders() {
    return m_handle != nullptr &&
           curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, m_headers) == CURLE_OK;
}

}  // namespace navoket
