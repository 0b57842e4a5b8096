#pragma once

#include <cstddef>
#include <string>

namespace navoket::test {

// text with every occurrence of from replaced by to, left to right; a
// replacement is not searched again.
inline std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace navoket::test
