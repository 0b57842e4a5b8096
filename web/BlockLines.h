#pragma once

#include <cstddef>

#include "platform/Bytes.h"

namespace navoket {

// Calls visit(line) for each piece of block between CR LF pairs, in order; an
// empty piece after a final CR LF is visited too. Stops when visit gives false.
template <typename Visit>
void forEachBlockLine(const Text& block, Visit visit) {
    std::size_t from = 0;
    while (from <= block.size()) {
        std::size_t end = block.find("\r\n", from);
        if (end == Text::npos) {
            end = block.size();
        }
        if (!visit(block.substr(from, end - from))) {
            return;
        }
        from = end + 2;
    }
}

}  // namespace navoket
