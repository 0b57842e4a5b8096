#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/DriveC.h"
#include "platform/Registry.h"
#include "tests/support/TempFolder.h"

namespace navoket {
namespace {

const Text emulationKey =
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
const Text renderingKey =
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_GPU_RENDERING";

TEST(Registry, DwordValuesRoundTripPerKeyAndName) {
    test::TempFolder drive;
    EXPECT_EQ(registryGetDword(registryCurrentUser, emulationKey, "navoket"), std::nullopt);
    ASSERT_TRUE(registrySetDword(registryCurrentUser, emulationKey, "navoket", 9999));
    ASSERT_TRUE(registrySetDword(registryCurrentUser, renderingKey, "navoket", 0xFFFFFFFFu));
    ASSERT_TRUE(registrySetDword(registryCurrentUser, emulationKey, "other", 0));
    EXPECT_EQ(registryGetDword(registryCurrentUser, emulationKey, "navoket"), 9999u);
    EXPECT_EQ(registryGetDword(registryCurrentUser, renderingKey, "navoket"), 0xFFFFFFFFu);
    EXPECT_EQ(registryGetDword(registryCurrentUser, emulationKey, "other"), 0u);
    // The registry ignores case in key paths and value names.
    EXPECT_EQ(registryGetDword(registryCurrentUser,
                               "SOFTWARE\\microsoft\\internet explorer\\main\\"
                               "featurecontrol\\feature_browser_emulation",
                               "NAVOKET"),
              9999u);
    ASSERT_TRUE(registrySetDword(registryCurrentUser, emulationKey, "navoket", 11001));
    EXPECT_EQ(registryGetDword(registryCurrentUser, emulationKey, "navoket"), 11001u);
}

TEST(Registry, KeptInAPrivateFileBelowTheDriveFolder) {
    test::TempFolder drive;
    ASSERT_TRUE(registrySetDword(registryCurrentUser, emulationKey, "navoket", 9999));
    const std::filesystem::path hive = drive.path() / ".registry" / "HKEY_CURRENT_USER.ini";
    struct stat info {};
    ASSERT_EQ(::stat(hive.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat(hive.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

TEST(Registry, OtherRootsAndBadEntriesGiveNoValue) {
    test::TempFolder drive;
    const int localMachine = 2;
    EXPECT_FALSE(registrySetDword(localMachine, emulationKey, "navoket", 1));
    EXPECT_EQ(registryGetDword(localMachine, emulationKey, "navoket"), std::nullopt);
    EXPECT_FALSE(registrySetDword(registryCurrentUser, emulationKey, "a=b", 1));

    std::filesystem::create_directory(drive.path() / ".registry");
    std::ofstream(drive.path() / ".registry" / "HKEY_CURRENT_USER.ini", std::ios::binary)
        << "[k]\r\nword=nine\r\nbig=4294967296\r\nneg=-1\r\nempty=\r\nmixed=12x\r\n";
    for (const char* name : {"word", "big", "neg", "empty", "mixed", "missing"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(registryGetDword(registryCurrentUser, "k", name), std::nullopt);
    }
}

TEST(Registry, UnwritableDriveGivesFalse) {
    test::TempFolder drive;
    // A file where the registry folder belongs.
    std::ofstream(drive.path() / ".registry") << "x";
    EXPECT_FALSE(registrySetDword(registryCurrentUser, emulationKey, "navoket", 9999));
    EXPECT_EQ(registryGetDword(registryCurrentUser, emulationKey, "navoket"), std::nullopt);
}

}  // namespace
}  // namespace navoket
