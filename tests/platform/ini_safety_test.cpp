// What the private-profile writer guarantees beyond Windows: no value can
// plant further keys, a file is never left torn or empty, files stay private,
// and bad files or folders give a clear result without losing data.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/DriveC.h"
#include "platform/PrivateProfile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace navoket {
namespace {

const Text folderPath = "C:\\Person";
const Text filePath = "C:\\Person\\config.ini";
const Bytes original = "[Email]\r\nsmtp=smtp.example.com\r\n[Ship]\r\nName=0\r\n";

using test::readBytes;
using test::writeBytes;

Text read(const Text& section, const Text& key) {
    return getPrivateProfileString(section, key, "DEF", profileBufferSize, filePath);
}

class ProfileSafety : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(hostPath(folderPath));
        writeBytes(hostPath(filePath), original);
    }
    test::TempFolder m_drive;
};

TEST_F(ProfileSafety, RefusesWhatWouldNotReadBackAsOneKey) {
    const struct {
        const char* why;
        Text section, key, value;
    } cases[] = {
        {"CR LF in value", "Ship", "Name", "a\r\nsmtp=evil"},
        {"LF in value", "Ship", "Name", "a\n[Email]"},
        {"CR in value", "Ship", "Name", "a\r[Email]"},
        {"LF in key", "Ship", "Na\nme", "x"},
        {"CR in section", "Sh\rip", "Name", "x"},
        {"'=' in key", "Ship", "a=b", "x"},
        {"']' in section", "Sh]ip", "Name", "x"},
        {"key like a section", "Ship", "[Email]", "x"},
        {"key like a comment", "Ship", ";Name", "x"},
        {"empty key", "Ship", "  ", "x"},
        {"empty section", "", "Name", "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_FALSE(writePrivateProfileString(c.section, c.key, c.value, filePath));
        EXPECT_EQ(readBytes(hostPath(filePath)), original);
    }
}

TEST_F(ProfileSafety, WriteReplacesTheFileWholeAndKeepsItPrivate) {
    ::chmod(hostPath(filePath).c_str(), 0644);
    ASSERT_TRUE(writePrivateProfileString("Ship", "Name", "Vessel", filePath));
    EXPECT_EQ(read("Ship", "Name"), "Vessel");
    EXPECT_EQ(read("Email", "smtp"), "smtp.example.com");
    struct stat info {};
    ASSERT_EQ(::stat(hostPath(filePath).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(hostPath(folderPath)),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(ProfileSafety, NewFileIsPrivate) {
    ASSERT_TRUE(writePrivateProfileString("s", "k", "v", "C:\\Person\\new.ini"));
    struct stat info {};
    ASSERT_EQ(::stat(hostPath("C:\\Person\\new.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(ProfileSafety, MissingFolderGivesFalseAndCreatesNothing) {
    std::filesystem::remove_all(hostPath(folderPath));
    EXPECT_FALSE(writePrivateProfileString("Ship", "Name", "x", filePath));
    EXPECT_FALSE(std::filesystem::exists(hostPath(folderPath)));
    EXPECT_EQ(read("Ship", "Name"), "DEF");
}

TEST_F(ProfileSafety, ReadOnlyFileIsLeftAlone) {
    ::chmod(hostPath(filePath).c_str(), 0400);
    EXPECT_FALSE(writePrivateProfileString("Ship", "Name", "x", filePath));
    EXPECT_EQ(readBytes(hostPath(filePath)), original);
    EXPECT_EQ(read("Ship", "Name"), "0");
}

// Runs `write` in a child without root's right to ignore folder permissions;
// gives its result.
bool writesAsUnprivilegedUser(const std::filesystem::path& tree,
                              const std::function<bool()>& write) {
    if (::geteuid() != 0) {
        return write();
    }
    const uid_t nobody = 65534;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree)) {
        EXPECT_EQ(::lchown(entry.path().c_str(), nobody, nobody), 0);
    }
    EXPECT_EQ(::chown(tree.c_str(), nobody, nobody), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = ::setgid(nobody) == 0 && ::setuid(nobody) == 0 && write();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(ProfileSafety, ReadOnlyFolderGivesFalseAndLosesNothing) {
    const std::filesystem::path folder = hostPath(folderPath);
    ::chmod(folder.c_str(), 0500);
    EXPECT_FALSE(writesAsUnprivilegedUser(
        m_drive.path(), [] { return writePrivateProfileString("Ship", "Name", "x", filePath); }));
    EXPECT_EQ(readBytes(hostPath(filePath)), original);
    // The same write succeeds once the folder is writable: the refusal above
    // was the folder's doing.
    ::chmod(folder.c_str(), 0700);
    EXPECT_TRUE(writesAsUnprivilegedUser(
        m_drive.path(), [] { return writePrivateProfileString("Ship", "Name", "x", filePath); }));
}

TEST_F(ProfileSafety, GarbageFileReadsAsDefaultsAndKeepsItsBytes) {
    Bytes garbage;
    for (int round = 0; round < 64; ++round) {
        for (int byte = 0; byte < 256; ++byte) {
            garbage += static_cast<char>((byte * 37 + round * 11) & 0xFF);
        }
    }
    garbage += "\n[[[\n]]]=\n[\xB4";  // broken headers, a lone lead byte at the end
    writeBytes(hostPath(filePath), garbage);
    EXPECT_EQ(read("Ship", "Name"), "DEF");
    EXPECT_EQ(read("", "x"), "DEF");
    ASSERT_TRUE(writePrivateProfileString("Ship", "Name", "v", filePath));
    EXPECT_EQ(read("Ship", "Name"), "v");
    const Bytes after = readBytes(hostPath(filePath));
    EXPECT_GT(after.size(), garbage.size());
    EXPECT_NE(after.find(garbage.substr(0, 10)), Bytes::npos);
}

TEST_F(ProfileSafety, ZeroByteEndsAValue) {
    writeBytes(hostPath(filePath), Bytes("[s]\r\nk=ab\0cd\r\n", 14));
    EXPECT_EQ(read("s", "k"), "ab");
    ASSERT_TRUE(writePrivateProfileString("s", "k2", Bytes("xy\0z", 4), filePath));
    EXPECT_EQ(read("s", "k2"), "xy");
}

TEST_F(ProfileSafety, WhatIsNoRegularFileIsNeitherReadNorReplaced) {
    const struct {
        const char* why;
        std::function<void(const std::filesystem::path&)> make;
    } cases[] = {
        {"folder", [](const auto& path) { std::filesystem::create_directory(path); }},
        {"fifo", [](const auto& path) { ::mkfifo(path.c_str(), 0600); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const std::filesystem::path path = hostPath(filePath);
        std::filesystem::remove_all(path);
        c.make(path);
        EXPECT_EQ(read("Ship", "Name"), "DEF");
        EXPECT_FALSE(writePrivateProfileString("Ship", "Name", "x", filePath));
        EXPECT_FALSE(std::filesystem::is_regular_file(path));
    }
}

TEST_F(ProfileSafety, OversizedFileIsRefusedWhole) {
    const std::filesystem::path path = hostPath(filePath);
    std::filesystem::resize_file(path, std::uintmax_t{17} << 20);  // sparse
    EXPECT_EQ(read("Ship", "Name"), "DEF");
    EXPECT_FALSE(writePrivateProfileString("Ship", "Name", "x", filePath));
    EXPECT_EQ(std::filesystem::file_size(path), std::uintmax_t{17} << 20);
}

}  // namespace
}  // namespace navoket
