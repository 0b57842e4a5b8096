#include "platform/MailMessage.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "platform/SmtpConnection.h"

namespace navoket {
namespace {

std::vector<std::string> headerLines(const Bytes& message) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = message.find("\r\n", start);
        if (end == Bytes::npos || end == start) {
            return lines;
        }
        lines.push_back(message.substr(start, end - start));
        start = end + 2;
    }
}

// The Subject header's lines, the first one with its name.
std::vector<std::string> subjectLines(const Bytes& message) {
    std::vector<std::string> lines;
    for (const std::string& line : headerLines(message)) {
        const bool continues = !lines.empty() && line[0] == ' ';
        if (line.rfind("Subject:", 0) == 0 || continues) {
            lines.push_back(line);
        } else if (!lines.empty()) {
            break;
        }
    }
    return lines;
}

std::string base64Decoded(const std::string& text) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned group = 0;
    int bits = 0;
    for (const char c : text) {
        const std::size_t value = alphabet.find(c);
        if (value == std::string::npos) {
            break;
        }
        group = group << 6 | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>(group >> bits & 0xff);
        }
    }
    return bytes;
}

// True when the bytes end on a character boundary of code page 936.
bool wholeCharacters(const std::string& bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        at += static_cast<unsigned char>(bytes[at]) >= 0x80 ? 2 : 1;
    }
    return at == bytes.size();
}

Bytes build(const Text& subject, const Text& body = "b") {
    return buildMailMessage(MailMessage{"from@example.test", "to@example.test", subject, body},
                            "host");
}

TEST(DotStuffingTest, DoublesEveryLeadingDot) {
    const std::vector<std::pair<Bytes, Bytes>> rows = {
        {"", ""},
        {".\r\n", "..\r\n"},
        {".a\r\nb.c\r\n..\r\n", "..a\r\nb.c\r\n...\r\n"},
        {"a\r\n.", "a\r\n.."},
    };
    for (const auto& [message, stuffed] : rows) {
        SCOPED_TRACE(message);
        EXPECT_EQ(dotStuffed(message), stuffed);
    }
}

TEST(MailMessageTest, NonAsciiSubjectIsSplitIntoWholeCharacterWords) {
    const Text seagull = "\xba\xa3\xc5\xb8\xba\xc5";
    Text oddStart = "a";
    Text evenStart;
    for (int i = 0; i < 30; ++i) {
        oddStart += seagull + "a";
        evenStart += seagull;
    }
    for (const Text& subject : {seagull, oddStart, evenStart, Text("x") + seagull + "\xba"}) {
        SCOPED_TRACE(subject);
        Text decoded;
        for (const std::string& line : subjectLines(build(subject))) {
            EXPECT_LE(line.size(), 76u) << line;
            std::smatch word;
            ASSERT_TRUE(std::regex_match(
                line, word, std::regex("(?:Subject:)? (=\\?gb2312\\?B\\?([A-Za-z0-9+/=]+)\\?=)")))
                << line;
            EXPECT_LE(word[1].length(), 75);
            const std::string piece = base64Decoded(word[2]);
            if (decoded.size() + piece.size() < subject.size()) {
                EXPECT_TRUE(wholeCharacters(piece)) << line;
            }
            decoded += piece;
        }
        EXPECT_EQ(decoded, subject);
    }
}

TEST(MailMessageTest, LongAsciiSubjectIsFoldedBeforeSpaces) {
    Text words;
    for (int i = 0; i < 40; ++i) {
        words += "word" + std::to_string(i) + " ";
    }
    const std::vector<std::string> lines = subjectLines(build(words));
    ASSERT_GT(lines.size(), 1u);
    std::string unfolded;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 78u) << line;
        EXPECT_NE(line.find_first_not_of(' '), std::string::npos);
        unfolded += line;
    }
    EXPECT_EQ(unfolded, "Subject: " + words);

    // A word too long for any header line is sent as encoded words instead.
    const Text endless(1200, 'x');
    for (const std::string& line : subjectLines(build(endless))) {
        EXPECT_LE(line.size(), 76u);
    }
}

TEST(MailMessageTest, ControlCharactersStayOutOfTheHeaders) {
    const Text subject = std::string(
        "a\rb\nc\0d\x7f"
        "e\tf",
        11);
    const Bytes message = build(subject);
    const std::string headers = message.substr(0, message.find("\r\n\r\n") + 2);
    for (std::size_t at = 0; at < headers.size(); ++at) {
        const auto byte = static_cast<unsigned char>(headers[at]);
        if (byte == '\r') {
            EXPECT_EQ(headers[at + 1], '\n');
        } else if (byte == '\n') {
            EXPECT_EQ(headers[at - 1], '\r');
        } else {
            EXPECT_TRUE(byte >= 0x20 && byte != 0x7f) << at;
        }
    }
    EXPECT_NE(headers.find("Subject: a b c d e f\r\n"), std::string::npos);
}

TEST(MailMessageTest, BodyIsBase64InLinesOf76) {
    const Text body(1000, '\xc4');
    const Bytes message = build("s", body);
    const std::size_t start = message.find("\r\n\r\n") + 4;
    std::string encoded;
    std::size_t at = start;
    while (at < message.size()) {
        const std::size_t end = message.find("\r\n", at);
        ASSERT_NE(end, Bytes::npos);
        EXPECT_LE(end - at, 76u);
        encoded += message.substr(at, end - at);
        at = end + 2;
    }
    EXPECT_EQ(base64Decoded(encoded), body);
    EXPECT_NE(message.find("charset=gb2312\r\n"), Bytes::npos);
}

}  // namespace
}  // namespace navoket
