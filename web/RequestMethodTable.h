#pragma once

#include <array>
#include <string_view>

namespace navoket {

// The methods every web request indexes with its `method` parameter.
inline constexpr std::array<std::string_view, 8> RequestMethodTable = {
    "GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};

// An index outside the table means GET (index 0).
inline int requestMethodIndex(int method) {
    return method < 0 || method >= static_cast<int>(RequestMethodTable.size()) ? 0 : method;
}

}  // namespace navoket
