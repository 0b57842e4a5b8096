#pragma once

#include "platform/Bytes.h"

namespace navoket {

extern const char* const topFolderPath;       // "C:\Torvane\"
extern const char* const programFolderPath;   // "C:\Torvane\Navoket\"
extern const char* const settingsFolderPath;  // "C:\Torvane\Navoket\Person\"
extern const char* const firstRunMarkerPath;  // "C:\Torvane\Navoket\run.txt"
extern const char* const settingsFilePath;    // "C:\Torvane\Navoket\Person\config.ini"

// One key of the settings file; the empty text when file, section or key is
// missing; at most 10239 bytes.
Text readSetting(const Text& section, const Text& key);

// Writes one key, creating file and section as needed. Returns false when the
// value could not be stored (a line break in it, or a file that refuses it).
bool writeSetting(const Text& section, const Text& key, const Text& value);

// Folders, the marker file and the six first-run values.
void firstRunSetup();

bool firstRunMarkerExists();

}  // namespace navoket
