#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace navoket {
namespace {

const std::string dataDir = NAVOKET_SHARED_DATA_DIR "/cp936/";

std::vector<std::vector<std::string>> readTsv(const std::string& name) {
    std::ifstream file(dataDir + name);
    EXPECT_TRUE(file) << "missing reference table " << dataDir + name;
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::vector<std::string> fields;
        std::istringstream stream(line);
        for (std::string field; std::getline(stream, field, '\t');) {
            fields.push_back(field);
        }
        rows.push_back(fields);
    }
    return rows;
}

// "41 D6 00" or "41D6" -> bytes.
std::string hexBytes(const std::string& hex) {
    std::string bytes;
    std::istringstream stream(hex);
    for (std::string token; stream >> token;) {
        for (std::size_t i = 0; i + 1 < token.size(); i += 2) {
            bytes.push_back(static_cast<char>(std::stoul(token.substr(i, 2), nullptr, 16)));
        }
    }
    return bytes;
}

// "0041 FFFD" -> units; "-" -> none.
std::u16string hexUnits(const std::string& hex) {
    std::u16string units;
    std::istringstream stream(hex);
    for (std::string token; stream >> token;) {
        if (token != "-") {
            units.push_back(static_cast<char16_t>(std::stoul(token, nullptr, 16)));
        }
    }
    return units;
}

unsigned codePointOf(const std::string& field) {
    return static_cast<unsigned>(std::stoul(field.substr(2), nullptr, 16));
}

TEST(CodePage, Cp936DecodesEveryByteAndPairLikeWindows) {
    const auto rows = readTsv("cp936-mb2wc.tsv");
    ASSERT_EQ(rows.size(), 256u + 126u * 191u);
    int mismatches = 0;
    for (const auto& row : rows) {
        const std::u16string expected = hexUnits(row[1]);
        ASSERT_EQ(expected.size(), std::stoul(row[2]));
        if (multiByteToWideChar(936, hexBytes(row[0])) != expected && ++mismatches <= 10) {
            ADD_FAILURE() << "bytes " << row[0] << " expected " << row[1];
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(CodePage, Cp936EncodesEveryBmpCodePointLikeWindows) {
    std::vector<std::string> expected(0x10000);
    std::vector<bool> known(0x10000, false);
    for (const auto& row : readTsv("cp936-wc2mb.tsv")) {
        const unsigned codePoint = codePointOf(row[0]);
        expected[codePoint] = hexBytes(row[1]);
        ASSERT_EQ(expected[codePoint].size(), std::stoul(row[2]));
        known[codePoint] = true;
    }
    for (const auto& row : readTsv("cp936-wc2mb-unmapped.tsv")) {
        for (unsigned c = codePointOf(row[0]); c <= codePointOf(row[1]); ++c) {
            expected[c] = "?";
            known[c] = true;
        }
    }
    for (unsigned c = 0xD800; c <= 0xDFFF; ++c) {
        expected[c] = "?";  // Lone surrogates, one '?' each.
        known[c] = true;
    }
    expected[0] = std::string(1, '\0');
    known[0] = true;
    int mismatches = 0;
    for (unsigned c = 0; c < 0x10000; ++c) {
        ASSERT_TRUE(known[c]) << "U+" << std::hex << c << " in no reference table";
        const std::u16string unit(1, static_cast<char16_t>(c));
        if (wideCharToMultiByte(936, unit) != expected[c] && ++mismatches <= 10) {
            ADD_FAILURE() << "U+" << std::hex << c;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Inputs of the counted calls whose lines name them only in words.
std::string extrasInput(const std::string& name) {
    if (name.starts_with("A D6 ")) {
        return "A\xD6";
    }
    if (name.starts_with("D6 00 42 ")) {
        return std::string("\xD6\0\x42", 3);
    }
    return {};
}

TEST(CodePage, SpecialCasesLikeWindows) {
    std::ifstream file(dataDir + "cp-extras.txt");
    ASSERT_TRUE(file);
    // MB2WC(65001) name  in=[..]  flags0 -> ret=N [..] | ...
    const std::regex withInput(
        R"(^(MB2WC|WC2MB)\((\d+)(?:,len=-1)?\)\s+.*?\s+in=\[([^\]]*)\]\s*([^>]*)-> ret=(\d+) \[([^\]]*)\])");
    // MB2WC(936,len=2) name -> ret=N [..]: a counted call named in words.
    const std::regex counted(R"(^MB2WC\((\d+),len=\d+\)\s+(.*?)\s+-> ret=(\d+) \[([^\]]*)\])");
    int checked = 0;
    for (std::string line; std::getline(file, line);) {
        SCOPED_TRACE(line);
        std::smatch m;
        if (std::regex_search(line, m, withInput)) {
            // Only calls with flags 0, as the program makes them.
            if (m[4].str().find("WC_NO_BEST_FIT_CHARS") != std::string::npos) {
                continue;
            }
            const unsigned codePage = static_cast<unsigned>(std::stoul(m[2]));
            if (m[1] == "MB2WC") {
                const std::u16string units = multiByteToWideChar(codePage, hexBytes(m[3]));
                EXPECT_EQ(units, hexUnits(m[6]));
                EXPECT_EQ(units.size(), std::stoul(m[5]));
            } else {
                const std::string bytes = wideCharToMultiByte(codePage, hexUnits(m[3]));
                EXPECT_EQ(bytes, hexBytes(m[6]));
                EXPECT_EQ(bytes.size(), std::stoul(m[5]));
            }
        } else if (std::regex_search(line, m, counted)) {
            const std::string bytes = extrasInput(m[2]);
            ASSERT_FALSE(bytes.empty());
            const std::u16string units = multiByteToWideChar(std::stoul(m[1]), bytes);
            EXPECT_EQ(units, hexUnits(m[4]));
            EXPECT_EQ(units.size(), std::stoul(m[3]));
        } else {
            continue;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 51);
}

TEST(CodePage, Utf8RoundTripsEveryCodePoint) {
    std::u16string all;
    for (char32_t c = 1; c < 0x110000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        if (c < 0x10000) {
            all.push_back(static_cast<char16_t>(c));
        } else {
            all.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            all.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    const std::string utf8 = wideCharToMultiByte(65001, all);
    EXPECT_EQ(multiByteToWideChar(65001, utf8), all);
}

TEST(CodePage, InvalidUtf8BecomesReplacementCharacters) {
    const struct {
        const char* name;
        std::string bytes;
        std::u16string units;
    } cases[] = {
        {"truncated before a letter", "\xE4\x41", u"\uFFFD\x41"},
        {"truncated four-byte form at the end", "\xF0\x9F\x98", u"\uFFFD"},
        {"lone lead before zero", std::string("\xC3\0", 2), std::u16string(u"\uFFFD\0", 2)},
        {"C1 never leads", "\xC1\x81", u"\uFFFD\uFFFD"},
        {"F5 never leads", "\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"overlong four-byte form", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD"},
        {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"two-byte form", "\xC3\xA9", u"\u00E9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(multiByteToWideChar(65001, c.bytes), c.units);
    }
}

TEST(CodePage, Utf8ToCp936EqualsTheTwoSteps) {
    const std::string inputs[] = {
        "",
        "plain ascii <br> text",
        "\xE4\xB8\xAD\xE6\x96\x87",
        "\xF0\x9F\x98\x80 x",
        "\xE2\x82\xAC\xC3\xA9\xEA\xB0\x80",
        "\x80\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xE4\xB8",
        std::string("a\0\xE4\xB8\xAD", 5),
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input);
        EXPECT_EQ(utf8ToCp936(input), wideCharToMultiByte(936, multiByteToWideChar(65001, input)));
    }
}

// CP_ACP, CP_OEMCP and CP_THREAD_ACP are 936 on the system the program is made for.
TEST(CodePage, SystemCodePagesAre936) {
    for (const unsigned system : {0u, 1u, 3u}) {
        SCOPED_TRACE(system);
        EXPECT_EQ(multiByteToWideChar(system, "A\xD6\xD0"), u"A\u4E2D");
        EXPECT_EQ(wideCharToMultiByte(system, u"A\u4E2D\u20AC"), "A\xD6\xD0\x80");
    }
}

TEST(CodePage, OtherCodePagesThroughIconv) {
    EXPECT_EQ(multiByteToWideChar(1252, "a\x80"), u"a\u20AC");
    EXPECT_EQ(wideCharToMultiByte(1252, u"a\u20AC"), "a\x80");
    EXPECT_EQ(wideCharToMultiByte(1252, u"\u4E2D\U0001F600b"), "???b");
    EXPECT_EQ(multiByteToWideChar(28591, "\xE9"), u"\u00E9");
    EXPECT_EQ(multiByteToWideChar(932, "\x82\xA0"), u"\u3042");
    for (const unsigned unknown : {2u, 1200u, 12345u, 99999u}) {
        SCOPED_TRACE(unknown);
        EXPECT_EQ(multiByteToWideChar(unknown, "abc"), u"");
        EXPECT_EQ(wideCharToMultiByte(unknown, u"abc"), "");
    }
}

}  // namespace
}  // namespace navoket
