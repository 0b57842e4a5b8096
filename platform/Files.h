#pragma once

#include <cstddef>
#include <filesystem>

#include "platform/Bytes.h"

namespace navoket {

// The file services of the window runtime. Paths are Windows-style texts
// ("C:\Torvane\Navoket\run.txt") mapped below the drive folder (DriveC.h).

// True when anything (file or folder) exists at the path.
bool fileExists(const Text& windowsPath);

// Creates one folder level, private to the user (0700). An existing folder is
// no error; a missing parent is.
bool createFolder(const Text& windowsPath);

// Creates or truncates the file and writes the bytes (see replaceHostFile).
bool writeFile(const Text& windowsPath, const Bytes& content);

// The running executable's file name without its folder ("navoket"); empty
// when the system does not tell.
Text executableName();

// Host-path helpers shared by the INI and registry stand-ins.

enum class ReadStatus { ok, missing, failed };

struct HostFileContent {
    ReadStatus status = ReadStatus::failed;
    Bytes bytes;
};

// createFolder on a host path: one level, 0700, an existing folder is no error.
bool createHostFolder(const std::filesystem::path& folder);

// Reads a regular file whole. A missing file (or missing folder) is `missing`;
// anything that is not a regular file, is larger than sizeLimit or cannot be
// read is `failed`. Never blocks on FIFOs or devices.
HostFileContent readHostFile(const std::filesystem::path& file, std::size_t sizeLimit);

// Replaces the file's content as one step: a private (0600) temporary file
// beside it is written, flushed to disk and renamed over the old one, so a
// crash leaves either the old or the new content, never a torn one. Refuses
// (false, nothing changed) a read-only file, as Windows does for a file with
// the read-only attribute, and anything that is not a regular file.
bool replaceHostFile(const std::filesystem::path& file, const Bytes& content);

}  // namespace navoket
