#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>

#include "platform/Bytes.h"

namespace navoket {

// INI files in the Windows private-profile format, read and written the way
// GetPrivateProfileStringA and WritePrivateProfileStringA treat them:
// - section and key names match without regard to ASCII case and to the
//   blanks (spaces, tabs) around them; the first matching section and, in it,
//   the first matching key win;
// - a value loses the blanks around it and then one pair of matching quotes
//   ("..." or '...') that encloses it whole;
// - lines starting with ';' are comments; lines without '=' are no keys;
// - lines end in CR LF, LF or CR; a write leaves every line ending in CR LF;
// - code-page-936 bytes pass unchanged, and a two-byte character is never
//   split (a ']' or a letter inside one is no syntax and no case).
// Files are read whole anew on every call; nothing is cached.

// The size of the buffer that the program reads every value into.
inline constexpr std::size_t profileBufferSize = 10240;

// The value, or the default (trailing blanks and enclosing quotes removed)
// when file, section or key is missing or unreadable. At most bufferSize - 1
// bytes come back, cut before a two-byte character that would not fit whole.
Text getPrivateProfileString(const Text& section, const Text& key, const Text& defaultValue,
                             std::size_t bufferSize, const Text& windowsFileName);

// Replaces the first matching key's line, or adds the key at the end of the
// first matching section, or adds the section at the end of the file (which
// is created when missing; its folder is not). An empty value is stored as
// "key=". The file is replaced atomically and kept private (0600).
//
// Returns false and changes nothing when the file cannot be read or written
// (missing or read-only folder, read-only file, not a regular file) and when
// the names or the value could not read back as written: an empty section or
// key, a section holding ']', a key holding '=' or starting with '[' or ';',
// or any CR or LF (which would otherwise plant further keys or sections).
bool writePrivateProfileString(const Text& section, const Text& key, const Text& value,
                               const Text& windowsFileName);

// The same on a host path, for the stand-ins that keep their own files.
// profileValue gives no value (nullopt) when file, section or key is missing.
std::optional<Text> profileValue(const std::filesystem::path& file, const Text& section,
                                 const Text& key);
bool storeProfileValue(const std::filesystem::path& file, const Text& section, const Text& key,
                       const Text& value);

}  // namespace navoket
