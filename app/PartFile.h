#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace navoket {

// A download being written: a new file under a temporary name in the target
// folder, which gets its final name only once complete; otherwise it is
// removed when the owner goes. No existing file is ever replaced.
class PartFile {
public:
    // Creates the folder when missing and the temporary file in it.
    PartFile(const std::filesystem::path& folder, const std::string& finalName);
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool valid() const { return m_fd >= 0; }
    bool write(std::string_view bytes);
    // Flushes the file and gives it the final name, or "name (1).ext", … when
    // that is taken, as browsers do. Returns the path, or empty on failure.
    std::filesystem::path complete();

private:
    bool moveTo(const std::filesystem::path& target);

    int m_fd = -1;
    std::filesystem::path m_folder;
    std::filesystem::path m_temporary;
    std::string m_finalName;
};

}  // namespace navoket
