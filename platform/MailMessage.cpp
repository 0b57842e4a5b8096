#include "platform/MailMessage.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <random>

#include "platform/Base64.h"

namespace navoket {
namespace {

// RFC 5322 section 2.1.1: 78 characters a line where we can, 998 at most.
constexpr std::size_t wantedLineLength = 78;
constexpr std::size_t maxLineLength = 998;
// RFC 2045 section 6.8: encoded body lines of at most 76 characters.
constexpr std::size_t bodyLineLength = 76;
// 36 bytes give 48 base64 characters; with "=?gb2312?B?" and "?=" an encoded
// word is 61 characters, under the 75 of RFC 2047 section 2, and "Subject: "
// plus one word stays under its 76-character line.
constexpr std::size_t encodedWordBytes = 36;

const char* const crlf = "\r\n";

bool isAscii(const Text& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

// RFC 5322 section 2.2: a header body holds no CR or LF of its own; other
// controls would be invisible or harmful, so each becomes a space.
Text withoutControls(const Text& text) {
    Text clean = text;
    for (char& c : clean) {
        if (isControl(c)) {
            c = ' ';
        }
    }
    return clean;
}

// The subject as RFC 2047 encoded words, one a line, each holding whole
// code-page-936 characters: a byte of 0x80 or above starts a two-byte one.
Text encodedSubject(const Text& subject) {
    Text header = "Subject:";
    std::size_t start = 0;
    while (start < subject.size()) {
        std::size_t end = start;
        for (;;) {
            const std::size_t width = static_cast<unsigned char>(subject[end]) >= 0x80 ? 2 : 1;
            if (end + width - start > encodedWordBytes) {
                break;
            }
            end = std::min(end + width, subject.size());
            if (end == subject.size()) {
                break;
            }
        }
        if (start != 0) {
            header += crlf;
        }
        header += " =?gb2312?B?" + base64Encode(subject.substr(start, end - start)) + "?=";
        start = end;
    }
    return header + crlf;
}

// An ASCII subject folded before spaces (RFC 5322 section 2.2.3) so lines keep
// to 78 characters where a space allows it; empty when a line would still be
// longer than 998 characters.
Text foldedSubject(const Text& subject) {
    const Text line = "Subject: " + subject;
    // Fold only before a space that is followed by something else, so no
    // line is blank and every line carries text.
    auto isFoldPoint = [&line](std::size_t at) {
        return at > 8 && line[at] == ' ' && at + 1 < line.size() && line[at + 1] != ' ';
    };
    Text header;
    std::size_t start = 0;
    while (line.size() - start > wantedLineLength) {
        std::size_t cut = Text::npos;
        for (std::size_t at = start + 1; at < line.size(); ++at) {
            if (!isFoldPoint(at)) {
                continue;
            }
            if (at - start > wantedLineLength && cut != Text::npos) {
                break;
            }
            cut = at;
            if (at - start > wantedLineLength) {
                break;
            }
        }
        if (cut == Text::npos) {
            break;
        }
        if (cut - start > maxLineLength) {
            return Text();
        }
        header += line.substr(start, cut - start) + crlf;
        start = cut;
    }
    if (line.size() - start > maxLineLength) {
        return Text();
    }
    return header + line.substr(start) + crlf;
}

Text subjectHeader(const Text& subject) {
    const Text clean = withoutControls(subject);
    if (isAscii(clean)) {
        const Text folded = foldedSubject(clean);
        if (!folded.empty()) {
            return folded;
        }
    }
    return encodedSubject(clean);
}

// RFC 5322 section 3.3, in local time with its offset from UTC; names in
// English whatever the locale.
Text dateHeader() {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const long offsetMinutes = local.tm_gmtoff / 60;
    const long offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[64];
    std::snprintf(text, sizeof text, "Date: %s, %d %s %d %02d:%02d:%02d %c%02ld%02ld\r\n",
                  days[local.tm_wday], local.tm_mday, months[local.tm_mon], local.tm_year + 1900,
                  local.tm_hour, local.tm_min, local.tm_sec, offsetMinutes < 0 ? '-' : '+',
                  offset / 60, offset % 60);
    return text;
}

// RFC 5322 section 3.6.4: unique through time, a counter and a random part.
Text messageIdHeader(const Text& hostName) {
    static std::atomic<unsigned> counter{0};
    static std::mt19937_64 random{std::random_device{}()};
    Text domain;
    for (const char c : hostName) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.') {
            domain += c;
        }
    }
    char text[128];
    std::snprintf(text, sizeof text, "Message-ID: <%lld.%u.%016llx@%s>\r\n",
                  static_cast<long long>(std::time(nullptr)), ++counter,
                  static_cast<unsigned long long>(random()),
                  domain.empty() ? "localhost" : domain.c_str());
    return text;
}

Text bodyInBase64Lines(const Text& body) {
    const Text encoded = base64Encode(body);
    Text lines;
    for (std::size_t at = 0; at < encoded.size(); at += bodyLineLength) {
        lines += encoded.substr(at, bodyLineLength) + crlf;
    }
    return lines;
}

}  // namespace

bool hasControlCharacter(const Text& text) {
    for (const char c : text) {
        if (isControl(c)) {
            return true;
        }
    }
    return false;
}

Bytes buildMailMessage(const MailMessage& message, const Text& hostName) {
    Bytes headers;
    headers += "From: " + withoutControls(message.sender) + crlf;
    headers += "To: " + withoutControls(message.recipient) + crlf;
    headers += subjectHeader(message.subject);
    headers += dateHeader();
    headers += messageIdHeader(hostName);
    headers += "MIME-Version: 1.0\r\n";
    headers += "Content-Type: text/plain; charset=";
    headers += isAscii(message.body) ? "us-ascii" : "gb2312";
    headers += crlf;
    headers += "Content-Transfer-Encoding: base64\r\n";
    return headers + crlf + bodyInBase64Lines(message.body);
}

}  // namespace navoket
