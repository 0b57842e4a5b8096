#include "app/PartFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace navoket {
namespace {

// Enough numbered names for any download folder; beyond that we give up.
constexpr int maxNameNumber = 99;

std::filesystem::path numberedName(const std::string& name, int number) {
    if (number == 0) {
        return name;
    }
    const std::filesystem::path path(name);
    return path.stem().string() + " (" + std::to_string(number) + ")" + path.extension().string();
}

}  // namespace

PartFile::PartFile(const std::filesystem::path& folder, const std::string& finalName)
    : m_folder(folder), m_finalName(finalName) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    constexpr std::string_view suffix = ".part";
    const std::string pattern = (folder / (finalName + ".XXXXXX")).string() + std::string(suffix);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (m_fd >= 0) {
        m_temporary = name.data();
        // mkstemps makes it private; a finished download is an ordinary file.
        ::fchmod(m_fd, 0644);
    }
}

PartFile::~PartFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
    }
}

bool PartFile::write(std::string_view bytes) {
    while (!bytes.empty() && m_fd >= 0) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return m_fd >= 0;
}

std::filesystem::path PartFile::complete() {
    if (m_fd < 0) {
        return {};
    }
    const bool flushed = ::fsync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!flushed || !closed) {
        return {};
    }
    for (int number = 0; number <= maxNameNumber; ++number) {
        const std::filesystem::path target = m_folder / numberedName(m_finalName, number);
        if (moveTo(target)) {
            m_temporary.clear();
            return target;
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

// link() fails with EEXIST when the name is taken, so no file is replaced;
// on file systems without hard links, rename() after a check.
bool PartFile::moveTo(const std::filesystem::path& target) {
    if (::link(m_temporary.c_str(), target.c_str()) == 0) {
        ::unlink(m_temporary.c_str());
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    std::error_code error;
    if (std::filesystem::exists(target, error) || error) {
        errno = error ? EIO : EEXIST;
        return false;
    }
    return ::rename(m_temporary.c_str(), target.c_str()) == 0;
}

}  // namespace navoket
