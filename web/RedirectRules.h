#pragma once

#include <string_view>

namespace navoket {

// The redirect statuses both Windows stacks follow by themselves.
inline bool isFollowedRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// RFC 9110 15.4: 303 makes every method but HEAD a GET; 301 and 302 turn a
// POST into a GET, as browsers and the Windows stacks do; the body is dropped.
inline bool redirectTurnsIntoGet(long status, std::string_view method) {
    return (status == 303 && method != "HEAD") ||
           (status != 307 && status != 308 && method == "POST");
}

}  // namespace navoket
