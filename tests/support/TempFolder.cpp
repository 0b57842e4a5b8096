#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>
#include <system_error>

#include "platform/DriveC.h"

namespace navoket::test {

TempFolder::TempFolder() {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "navoket-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "mkdtemp failed for " << pattern;
        return;
    }
    m_path = pattern;
    setDriveRoot(m_path);
}

TempFolder::~TempFolder() {
    setDriveRoot({});
    if (m_path.empty()) {
        return;
    }
    // Tests make folders read-only on purpose; give them back before removal.
    ::chmod(m_path.c_str(), 0700);
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error)) {
            ::chmod(it->path().c_str(), 0700);
        }
    }
    std::filesystem::remove_all(m_path, error);
}

}  // namespace navoket::test
