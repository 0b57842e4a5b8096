#include "platform/PrivateProfile.h"

#include <string_view>
#include <vector>

#include "platform/DriveC.h"
#include "platform/Files.h"

namespace navoket {
namespace {

// A settings file is a few hundred bytes; anything far larger is not one and
// is refused rather than loaded.
constexpr std::size_t maximumProfileSize = std::size_t{16} << 20;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimLeadingBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view trimTrailingBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view trimBlanks(std::string_view text) {
    return trimTrailingBlanks(trimLeadingBlanks(text));
}

// Code page 936: a byte 0x81..0xFE leads a two-byte character. Its second byte
// may fall into the ASCII range ('@'..'~'), so syntax characters from that
// range and letter case are only looked at on character boundaries.
std::size_t characterLength(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    return byte >= 0x81 && byte <= 0xFE && at + 1 < text.size() ? 2 : 1;
}

std::size_t findCharacter(std::string_view text, char wanted) {
    for (std::size_t at = 0; at < text.size(); at += characterLength(text, at)) {
        if (text[at] == wanted) {
            return at;
        }
    }
    return std::string_view::npos;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t at = 0; at < left.size();) {
        const std::size_t length = characterLength(left, at);
        if (length == 2) {
            if (left.substr(at, 2) != right.substr(at, 2)) {
                return false;
            }
        } else if (asciiLower(left[at]) != asciiLower(right[at])) {
            return false;
        }
        at += length;
    }
    return true;
}

std::string_view removeEnclosingQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

enum class LineKind { blank, comment, section, brokenSection, key, other };

struct ProfileLine {
    std::string_view raw;
    LineKind kind = LineKind::other;
    std::string_view name;   // section or key name, blanks removed
    std::string_view value;  // key value, blanks removed, quotes kept
};

ProfileLine classifyLine(std::string_view raw) {
    ProfileLine line;
    line.raw = raw;
    const std::string_view text = trimBlanks(raw);
    if (text.empty()) {
        line.kind = LineKind::blank;
    } else if (text.front() == '[') {
        const std::size_t close = findCharacter(text, ']');
        if (close == std::string_view::npos) {
            // An unfinished header still ends the section before it.
            line.kind = LineKind::brokenSection;
        } else {
            line.kind = LineKind::section;
            line.name = trimBlanks(text.substr(1, close - 1));
        }
    } else if (text.front() == ';') {
        line.kind = LineKind::comment;
    } else if (const std::size_t equals = text.find('='); equals != std::string_view::npos) {
        line.kind = LineKind::key;
        line.name = trimBlanks(text.substr(0, equals));
        line.value = trimBlanks(text.substr(equals + 1));
    }
    return line;
}

std::vector<ProfileLine> parseProfile(std::string_view content) {
    std::vector<ProfileLine> lines;
    while (!content.empty()) {
        const std::size_t end = content.find_first_of("\r\n");
        lines.push_back(classifyLine(content.substr(0, end)));
        if (end == std::string_view::npos) {
            break;
        }
        const bool crLf =
            content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n';
        content.remove_prefix(end + (crLf ? 2 : 1));
    }
    return lines;
}

// Lines [header, end) of the first section of that name.
struct SectionSpan {
    std::size_t header = 0;
    std::size_t end = 0;
};

std::optional<SectionSpan> findSection(const std::vector<ProfileLine>& lines,
                                       std::string_view name) {
    for (std::size_t at = 0; at < lines.size(); ++at) {
        if (lines[at].kind == LineKind::section && sameName(lines[at].name, name)) {
            std::size_t end = at + 1;
            while (end < lines.size() && lines[end].kind != LineKind::section &&
                   lines[end].kind != LineKind::brokenSection) {
                ++end;
            }
            return SectionSpan{at, end};
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<ProfileLine>& lines, SectionSpan span,
                                   std::string_view name) {
    for (std::size_t at = span.header + 1; at < span.end; ++at) {
        if (lines[at].kind == LineKind::key && sameName(lines[at].name, name)) {
            return at;
        }
    }
    return std::nullopt;
}

// The Windows functions see C strings: a text ends at its first zero byte.
std::string_view asCString(const Text& text) {
    return std::string_view(text.c_str());
}

Text fitIntoBuffer(std::string_view value, std::size_t bufferSize) {
    if (bufferSize == 0) {
        return Text();
    }
    const std::size_t room = bufferSize - 1;
    std::size_t kept = 0;
    while (kept < value.size()) {
        const std::size_t length = characterLength(value, kept);
        if (kept + length > room) {
            break;
        }
        kept += length;
    }
    return Text(value.substr(0, kept));
}

// A value as GetPrivateProfileStringA hands it out. Windows copies a quoted
// value from behind its opening quote and then drops the last character copied
// when the buffer had room for the closing quote; with a buffer of exactly the
// unquoted length plus one, that dropped character is the value's own last one.
Text valueForBuffer(std::string_view rawValue, std::size_t bufferSize) {
    rawValue = rawValue.substr(0, rawValue.find('\0'));
    const std::string_view inner = removeEnclosingQuotes(rawValue);
    const bool quoted = inner.size() != rawValue.size();
    if (quoted && bufferSize == inner.size() + 1) {
        return fitIntoBuffer(inner, bufferSize - 1);
    }
    return fitIntoBuffer(inner, bufferSize);
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool storableNames(std::string_view section, std::string_view key) {
    return !section.empty() && !key.empty() && !hasLineBreak(section) && !hasLineBreak(key) &&
           findCharacter(section, ']') == std::string_view::npos &&
           key.find('=') == std::string_view::npos && key.front() != '[' && key.front() != ';';
}

// The stored value as it stands in the file, blanks removed.
std::optional<Text> rawProfileValue(const std::filesystem::path& file, const Text& section,
                                    const Text& key) {
    const std::string_view sectionName = trimBlanks(asCString(section));
    const std::string_view keyName = trimBlanks(asCString(key));
    if (keyName.empty()) {
        return std::nullopt;
    }
    const HostFileContent content = readHostFile(file, maximumProfileSize);
    if (content.status != ReadStatus::ok) {
        return std::nullopt;
    }
    const std::vector<ProfileLine> lines = parseProfile(content.bytes);
    const std::optional<SectionSpan> span = findSection(lines, sectionName);
    if (!span) {
        return std::nullopt;
    }
    const std::optional<std::size_t> line = findKey(lines, *span, keyName);
    if (!line) {
        return std::nullopt;
    }
    return Text(lines[*line].value);
}

}  // namespace

std::optional<Text> profileValue(const std::filesystem::path& file, const Text& section,
                                 const Text& key) {
    const std::optional<Text> raw = rawProfileValue(file, section, key);
    if (!raw) {
        return std::nullopt;
    }
    return Text(removeEnclosingQuotes(asCString(*raw)));
}

bool storeProfileValue(const std::filesystem::path& file, const Text& section, const Text& key,
                       const Text& value) {
    const std::string_view sectionName = trimBlanks(asCString(section));
    const std::string_view keyName = trimBlanks(asCString(key));
    const std::string_view valueText = trimLeadingBlanks(asCString(value));
    if (!storableNames(sectionName, keyName) || hasLineBreak(valueText)) {
        return false;
    }
    const HostFileContent old = readHostFile(file, maximumProfileSize);
    if (old.status == ReadStatus::failed) {
        return false;
    }
    const std::vector<ProfileLine> lines = parseProfile(old.bytes);

    // Either one line is replaced, or the new lines go in before line `insertAt`.
    std::optional<std::size_t> replaced;
    std::size_t insertAt = lines.size();
    Bytes inserted;
    if (const std::optional<SectionSpan> span = findSection(lines, sectionName)) {
        replaced = findKey(lines, *span, keyName);
        // After the section's last non-blank line, so that blank lines that
        // separate it from the next section stay where they are.
        insertAt = span->end;
        while (insertAt > span->header + 1 && lines[insertAt - 1].kind == LineKind::blank) {
            --insertAt;
        }
    } else {
        inserted.append("[").append(sectionName).append("]\r\n");
    }
    inserted.append(keyName).append("=").append(valueText).append("\r\n");

    Bytes content;
    content.reserve(old.bytes.size() + inserted.size() + 2 * lines.size());
    for (std::size_t at = 0; at <= lines.size(); ++at) {
        if (at == insertAt && !replaced) {
            content.append(inserted);
        }
        if (at == lines.size()) {
            break;
        }
        if (replaced == at) {
            // The stored name keeps its spelling; only the value changes.
            content.append(lines[at].name).append("=").append(valueText).append("\r\n");
        } else {
            content.append(lines[at].raw).append("\r\n");
        }
    }
    if (old.status == ReadStatus::ok && content == old.bytes) {
        return true;
    }
    return replaceHostFile(file, content);
}

Text getPrivateProfileString(const Text& section, const Text& key, const Text& defaultValue,
                             std::size_t bufferSize, const Text& windowsFileName) {
    const std::optional<Text> value = rawProfileValue(hostPath(windowsFileName), section, key);
    if (value) {
        return valueForBuffer(*value, bufferSize);
    }
    return valueForBuffer(trimTrailingBlanks(asCString(defaultValue)), bufferSize);
}

bool writePrivateProfileString(const Text& section, const Text& key, const Text& value,
                               const Text& windowsFileName) {
    return storeProfileValue(hostPath(windowsFileName), section, key, value);
}

}  // namespace navoket
