#pragma once

#include <filesystem>

#include "platform/Bytes.h"

namespace navoket {

// The program's fixed paths live on drive C:. Here a host folder stands for
// that drive: a per-user folder by default, or one chosen by the demo, the
// tests and the driver.
void setDriveRoot(const std::filesystem::path& folder);
std::filesystem::path driveRoot();
// True while a folder chosen by the demo, the tests or the driver stands for
// the drive (their files, downloads included, stay below it).
bool driveRootChosen();

// "C:\Torvane\Navoket\run.txt" -> <drive root>/Torvane/Navoket/run.txt.
// Backslashes separate folders; the drive letter is optional.
std::filesystem::path hostPath(const Text& windowsPath);

}  // namespace navoket
