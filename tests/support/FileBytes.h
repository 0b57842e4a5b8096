#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/Bytes.h"

namespace navoket::test {

// Files as the tests check them: whole, byte for byte.

// The file's bytes; empty when it cannot be read.
inline Bytes readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file's content with bytes.
inline void writeBytes(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// The permission bits of path, 0 when it does not exist.
inline unsigned modeOf(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

}  // namespace navoket::test
