#pragma once

#include <filesystem>

namespace navoket::test {

// A fresh, empty folder that stands for drive C: while the object lives. On
// destruction the folder is removed and the drive root goes back to its
// default (not nestable: one TempFolder at a time).
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace navoket::test
