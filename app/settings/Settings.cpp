#include "app/settings/Settings.h"

#include "platform/Files.h"
#include "platform/PrivateProfile.h"

namespace navoket {

const char* const topFolderPath = "C:\\Torvane\\";
const char* const programFolderPath = "C:\\Torvane\\Navoket\\";
const char* const settingsFolderPath = "C:\\Torvane\\Navoket\\Person\\";
const char* const firstRunMarkerPath = "C:\\Torvane\\Navoket\\run.txt";
const char* const settingsFilePath = "C:\\Torvane\\Navoket\\Person\\config.ini";

namespace {

// Examples that show the user what to fill in; they reach no real server.
constexpr const char* placeholderSmtpHost = "smtp.example.com";
constexpr const char* placeholderMailAddress = "user@example.com";
constexpr const char* firstRunPassword = "907381";
// "0" marks the vessel name and the baseline as not set.
constexpr const char* unsetValue = "0";

}  // namespace

Text readSetting(const Text& section, const Text& key) {
    return getPrivateProfileString(section, key, Text(), profileBufferSize, settingsFilePath);
}

bool writeSetting(const Text& section, const Text& key, const Text& value) {
    return writePrivateProfileString(section, key, value, settingsFilePath);
}

void firstRunSetup() {
    // Single-level creations; an existing folder is fine and failures show
    // later as settings that read empty.
    createFolder(topFolderPath);
    createFolder(programFolderPath);
    createFolder(settingsFolderPath);
    writeFile(firstRunMarkerPath, "False");
    writeSetting("Email", "smtp", placeholderSmtpHost);
    writeSetting("Email", "account", placeholderMailAddress);
    writeSetting("Email", "password", firstRunPassword);
    writeSetting("Email", "receive", placeholderMailAddress);
    writeSetting("Ship", "Name", unsetValue);
    writeSetting("Ship", "Data", unsetValue);
}

bool firstRunMarkerExists() {
    return fileExists(firstRunMarkerPath);
}

}  // namespace navoket
