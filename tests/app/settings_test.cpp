#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/settings/Settings.h"
#include "platform/DriveC.h"
#include "platform/PrivateProfile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace navoket {
namespace {

using test::modeOf;
using test::readBytes;

const Bytes firstRunFile =
    "[Email]\r\nsmtp=smtp.example.com\r\naccount=user@example.com\r\npassword=907381\r\n"
    "receive=user@example.com\r\n[Ship]\r\nName=0\r\nData=0\r\n";

const struct {
    const char* section;
    const char* key;
} allKeys[] = {{"Email", "smtp"},    {"Email", "account"}, {"Email", "password"},
               {"Email", "receive"}, {"Ship", "Name"},     {"Ship", "Data"}};

class SettingsFile : public ::testing::Test {
protected:
    std::filesystem::path settingsFile() const { return hostPath(settingsFilePath); }
    test::TempFolder m_drive;
};

TEST_F(SettingsFile, FixedLocationsLieBelowDriveC) {
    EXPECT_EQ(hostPath(settingsFilePath), m_drive.path() / "Torvane/Navoket/Person/config.ini");
    EXPECT_EQ(hostPath(firstRunMarkerPath), m_drive.path() / "Torvane/Navoket/run.txt");
}

TEST_F(SettingsFile, FirstRunSetupMakesFoldersMarkerAndSixKeys) {
    EXPECT_FALSE(firstRunMarkerExists());
    firstRunSetup();
    EXPECT_TRUE(firstRunMarkerExists());
    EXPECT_EQ(readBytes(hostPath(firstRunMarkerPath)), "False");
    for (const char* folder : {topFolderPath, programFolderPath, settingsFolderPath}) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(modeOf(hostPath(folder)), 0700u);
    }
    EXPECT_EQ(modeOf(settingsFile()), 0600u);
    // The keys in their order, as Windows lays out the same six writes.
    EXPECT_EQ(readBytes(settingsFile()), firstRunFile);
    EXPECT_EQ(readSetting("Email", "password"), "907381");
    EXPECT_EQ(readSetting("Email", "account"), readSetting("Email", "receive"));
    EXPECT_EQ(readSetting("Ship", "Name"), "0");
    EXPECT_EQ(readSetting("Ship", "Data"), "0");
}

TEST_F(SettingsFile, FirstRunSetupAgainRestoresTheDefaults) {
    firstRunSetup();
    ASSERT_TRUE(writeSetting("Ship", "Data", "0123456789abcdef0123456789abcdef"));
    ASSERT_TRUE(writeSetting("Email", "smtp", "mail.test"));
    std::filesystem::remove(hostPath(firstRunMarkerPath));
    EXPECT_FALSE(firstRunMarkerExists());
    firstRunSetup();
    EXPECT_EQ(readBytes(settingsFile()), firstRunFile);
}

TEST_F(SettingsFile, MissingFileWithMarkerReadsEmpty) {
    firstRunSetup();
    std::filesystem::remove(settingsFile());
    EXPECT_TRUE(firstRunMarkerExists());
    for (const auto& [section, key] : allKeys) {
        SCOPED_TRACE(key);
        EXPECT_EQ(readSetting(section, key), "");
    }
    // The next write creates the file again, with that one key.
    ASSERT_TRUE(writeSetting("Ship", "Data", "abc"));
    EXPECT_EQ(readBytes(settingsFile()), "[Ship]\r\nData=abc\r\n");
}

TEST_F(SettingsFile, EmptyMarkerCountsAsAPreviousRun) {
    std::filesystem::create_directories(hostPath(programFolderPath));
    std::ofstream(hostPath(firstRunMarkerPath)).close();
    EXPECT_TRUE(firstRunMarkerExists());
}

TEST_F(SettingsFile, ValuesReadBackAsStored) {
    firstRunSetup();
    const struct {
        const char* why;
        Text value;
        Text readBack;
    } cases[] = {
        {"empty value stays a key", "", ""},
        {"two zeros are not the unset value", "00", "00"},
        {"code page 936", "\xD6\xD0\xB9\xFA\xBA\xC5", "\xD6\xD0\xB9\xFA\xBA\xC5"},
        {"blanks around are dropped", "  COSCO  ", "COSCO"},
        {"longest value", Text(10239, 'x'), Text(10239, 'x')},
        {"longer value is cut", Text(10239, 'x') + "yz", Text(10239, 'x')},
        {"cut before a two-byte character", Text(10238, 'x') + "\xD6\xD0", Text(10238, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(writeSetting("Ship", "Name", c.value));
        EXPECT_EQ(readSetting("Ship", "Name"), c.readBack);
    }
    EXPECT_NE(readBytes(settingsFile()).find("\r\nName=" + Text(10238, 'x') + "\xD6\xD0\r\n"),
              Bytes::npos);
}

TEST_F(SettingsFile, ValueWithLineBreakIsRefusedWhole) {
    firstRunSetup();
    for (const Text value : {"a\r\nsmtp=evil.example", "a\n[Email]\nsmtp=evil", "a\rb"}) {
        SCOPED_TRACE(value);
        EXPECT_FALSE(writeSetting("Ship", "Name", value));
        EXPECT_EQ(readBytes(settingsFile()), firstRunFile);
    }
}

TEST_F(SettingsFile, DeletedFolderLosesTheWriteAndIsNotRecreated) {
    firstRunSetup();
    std::filesystem::remove_all(hostPath(settingsFolderPath));
    EXPECT_FALSE(writeSetting("Ship", "Data", "abc"));
    EXPECT_FALSE(std::filesystem::exists(hostPath(settingsFolderPath)));
    EXPECT_EQ(readSetting("Ship", "Data"), "");
}

TEST_F(SettingsFile, ReadOnlyFileKeepsItsValues) {
    firstRunSetup();
    ::chmod(settingsFile().c_str(), 0400);
    EXPECT_FALSE(writeSetting("Ship", "Data", "abc"));
    EXPECT_EQ(readSetting("Ship", "Data"), "0");
    EXPECT_EQ(readBytes(settingsFile()), firstRunFile);
}

TEST_F(SettingsFile, GarbageFileReadsEmptyAndTakesNewValues) {
    firstRunSetup();
    Bytes garbage;
    for (int byte = 255; byte >= 0; --byte) {
        garbage += static_cast<char>(byte);
    }
    garbage += "[Ship\r\nName=lost\r\n\xFF[\x81";
    std::ofstream(settingsFile(), std::ios::binary | std::ios::trunc) << garbage;
    for (const auto& [section, key] : allKeys) {
        SCOPED_TRACE(key);
        EXPECT_EQ(readSetting(section, key), "");
    }
    ASSERT_TRUE(writeSetting("Ship", "Name", "Vessel"));
    EXPECT_EQ(readSetting("Ship", "Name"), "Vessel");
}

}  // namespace
}  // namespace navoket
