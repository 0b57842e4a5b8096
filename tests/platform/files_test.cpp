#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/DriveC.h"
#include "platform/Files.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace navoket {
namespace {

using test::modeOf;
using test::readBytes;

TEST(HostPath, MapsWindowsPathsBelowTheDriveFolder) {
    setDriveRoot("/drive");
    const struct {
        Text windows;
        const char* host;
    } cases[] = {
        {"C:\\Torvane\\Navoket\\run.txt", "/drive/Torvane/Navoket/run.txt"},
        {"C:\\Torvane\\Navoket\\Person\\", "/drive/Torvane/Navoket/Person"},
        {"\\Torvane\\x", "/drive/Torvane/x"},
        {"c:/Torvane//x", "/drive/Torvane/x"},
        {"C:\\", "/drive"},
        {"C:\\..\\..\\etc\\.\\passwd", "/drive/etc/passwd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windows);
        EXPECT_EQ(hostPath(c.windows), std::filesystem::path(c.host));
    }
    setDriveRoot({});
}

// Restores one environment variable on scope exit.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvironmentOverride() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(DriveRoot, DefaultsToAPrivatePerUserDataFolder) {
    test::TempFolder scratch;
    setDriveRoot({});
    {
        const EnvironmentOverride dataHome("XDG_DATA_HOME", scratch.path().c_str());
        const std::filesystem::path expected = scratch.path() / "navoket" / "drive-c";
        EXPECT_EQ(driveRoot(), expected);
        EXPECT_TRUE(std::filesystem::is_directory(expected));
        EXPECT_EQ(modeOf(expected), 0700u);
    }
    {
        const EnvironmentOverride dataHome("XDG_DATA_HOME", "relative/ignored");
        const EnvironmentOverride home("HOME", scratch.path().c_str());
        EXPECT_EQ(driveRoot(), scratch.path() / ".local/share/navoket/drive-c");
    }
}

TEST(Files, CreateFolderMakesOnePrivateLevel) {
    test::TempFolder drive;
    EXPECT_TRUE(createFolder("C:\\Torvane\\"));
    EXPECT_EQ(modeOf(drive.path() / "Torvane"), 0700u);
    EXPECT_TRUE(createFolder("C:\\Torvane"));  // existing is no error
    EXPECT_FALSE(createFolder("C:\\Missing\\Child"));
    EXPECT_FALSE(std::filesystem::exists(drive.path() / "Missing"));
    std::ofstream(drive.path() / "file") << "x";
    EXPECT_FALSE(createFolder("C:\\file"));
}

TEST(Files, WriteFileCreatesOrTruncates) {
    test::TempFolder drive;
    EXPECT_FALSE(fileExists("C:\\run.txt"));
    ASSERT_TRUE(writeFile("C:\\run.txt", "False and more"));
    ASSERT_TRUE(writeFile("C:\\run.txt", "False"));
    EXPECT_TRUE(fileExists("C:\\run.txt"));
    EXPECT_EQ(readBytes(drive.path() / "run.txt"), "False");
    EXPECT_EQ(modeOf(drive.path() / "run.txt"), 0600u);
    ASSERT_TRUE(writeFile("C:\\empty", ""));
    EXPECT_TRUE(fileExists("C:\\empty"));
    EXPECT_EQ(std::filesystem::file_size(drive.path() / "empty"), 0u);
    EXPECT_FALSE(writeFile("C:\\Missing\\run.txt", "False"));
    EXPECT_TRUE(fileExists("C:\\"));  // folders exist too
}

TEST(Files, ExecutableNameIsTheFileNameAlone) {
    EXPECT_EQ(executableName(), "platform_tests");
}

TEST(Files, ReadHostFileTellsMissingFromFailed) {
    test::TempFolder drive;
    EXPECT_EQ(readHostFile(drive.path() / "none", 100).status, ReadStatus::missing);
    EXPECT_EQ(readHostFile(drive.path() / "none" / "deeper", 100).status, ReadStatus::missing);
    EXPECT_EQ(readHostFile(drive.path(), 100).status, ReadStatus::failed);
    std::ofstream(drive.path() / "f", std::ios::binary) << Bytes("a\0b", 3);
    const HostFileContent content = readHostFile(drive.path() / "f", 3);
    EXPECT_EQ(content.status, ReadStatus::ok);
    EXPECT_EQ(content.bytes, Bytes("a\0b", 3));
    EXPECT_EQ(readHostFile(drive.path() / "f", 2).status, ReadStatus::failed);
}

}  // namespace
}  // namespace navoket
