#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "platform/DriveC.h"

namespace navoket {
namespace {

// Owns one POSIX file descriptor.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    ~UniqueFd() { close(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether the close succeeded (a delayed write error
    // can surface only here).
    bool close() {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

// A temporary file that is removed again unless it has been renamed into place.
class TempFileGuard {
public:
    explicit TempFileGuard(std::string path) : m_path(std::move(path)) {}
    ~TempFileGuard() {
        if (!m_path.empty()) {
            ::unlink(m_path.c_str());
        }
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;

    const std::string& path() const { return m_path; }
    void release() { m_path.clear(); }

private:
    std::string m_path;
};

bool writeAll(int fd, const Bytes& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t written = ::write(fd, content.data() + done, content.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Makes the rename itself durable; a failure here leaves a correct file
// behind, so it is not reported.
void syncFolder(const std::filesystem::path& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) {
        ::fsync(fd.get());
    }
}

}  // namespace

bool fileExists(const Text& windowsPath) {
    struct stat info {};
    return ::lstat(hostPath(windowsPath).c_str(), &info) == 0;
}

bool createFolder(const Text& windowsPath) {
    return createHostFolder(hostPath(windowsPath));
}

bool writeFile(const Text& windowsPath, const Bytes& content) {
    return replaceHostFile(hostPath(windowsPath), content);
}

Text executableName() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return self.filename().string();
    }
#ifdef __GLIBC__
    return Text(program_invocation_short_name);
#else
    return Text();
#endif
}

bool createHostFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0) {
        return true;
    }
    struct stat info {};
    return errno == EEXIST && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

HostFileContent readHostFile(const std::filesystem::path& file, std::size_t sizeLimit) {
    HostFileContent result;
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) {
        result.status =
            (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::missing : ReadStatus::failed;
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > sizeLimit) {
        return result;
    }
    result.bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.bytes.clear();
            return result;
        }
        if (got == 0) {
            break;
        }
        result.bytes.append(chunk, static_cast<std::size_t>(got));
        // The file may grow while it is read.
        if (result.bytes.size() > sizeLimit) {
            result.bytes.clear();
            return result;
        }
    }
    result.status = ReadStatus::ok;
    return result;
}

bool replaceHostFile(const std::filesystem::path& file, const Bytes& content) {
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode) || (info.st_mode & S_IWUSR) == 0) {
            return false;
        }
    } else if (errno != ENOENT) {
        return false;
    }
    const std::filesystem::path folder = file.parent_path();
    std::string pattern = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    // mkstemp creates the file with mode 0600.
    UniqueFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.valid()) {
        return false;
    }
    TempFileGuard temp(pattern);
    if (!writeAll(fd.get(), content) || ::fsync(fd.get()) != 0 || !fd.close()) {
        return false;
    }
    if (::rename(temp.path().c_str(), file.c_str()) != 0) {
        return false;
    }
    temp.release();
    syncFolder(folder);
    return true;
}

}  // namespace navoket
