// The private-profile stand-in against GetPrivateProfileStringA /
// WritePrivateProfileStringA results recorded on Windows (code page 936).
//
// Each scenario replays one recorded case: fixtures are the recorded files
// byte for byte, reads must give the recorded values, and after each write
// every key visible in either our file or the recorded one must read the
// same from both (the layout of untouched lines is free).
//
// Left out on purpose:
// - enumerating a section's keys (a null key): the program never does it;
// - comment lines read by their exact name, keys before the first section,
//   '[' lines without ']', byte-order marks: habits of the recording
//   machine, not Windows behaviour the program may rely on;
// - invalid two-byte sequences, which Windows' Unicode round trip turns into
//   '?': we keep the bytes (tested below), so those lines are not in the
//   GBK fixture;
// - a value holding CR LF, which Windows writes as two lines: refused here
//   (tested in ini_safety_test.cpp);
// - values cut inside a two-byte character: Windows leaves a stray byte of
//   the caller's buffer there, the expected values end before it instead.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/DriveC.h"
#include "platform/PrivateProfile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace navoket {
namespace {

const Text testFile = "C:\\test.ini";
const Text recordedFile = "C:\\recorded.ini";

using test::readBytes;
using test::writeBytes;

struct Step {
    enum class Kind { fixture, noFile, read, write } kind;
    Text section;
    Text key;
    Text value;  // the default of a read, the value of a write, the fixture name
    std::size_t size = profileBufferSize;
    Text expected;  // the value read, or the recorded file after a write
};

Step fixture(const char* name) {
    return {Step::Kind::fixture, {}, {}, name, profileBufferSize, {}};
}
Step noFile() {
    return {Step::Kind::noFile, {}, {}, {}, profileBufferSize, {}};
}
Step read(Text section, Text key, Text defaultValue, std::size_t size, Text expected) {
    return {Step::Kind::read,   std::move(section), std::move(key), std::move(defaultValue), size,
            std::move(expected)};
}
Step write(Text section, Text key, Text value, Text fileAfter) {
    return {Step::Kind::write, std::move(section), std::move(key),
            std::move(value),  profileBufferSize,  std::move(fileAfter)};
}

struct Scenario {
    const char* name;
    std::vector<Step> steps;
};

// (section, key) of every key line that stands in a section.
std::set<std::pair<Text, Text>> visibleKeys(std::string_view content) {
    std::set<std::pair<Text, Text>> keys;
    std::optional<Text> section;
    while (!content.empty()) {
        const std::size_t end = content.find_first_of("\r\n");
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        const std::size_t equals = line.find('=');
        if (line.starts_with('[')) {
            const std::size_t close = line.find(']');
            section = close == std::string_view::npos
                          ? std::nullopt
                          : std::optional<Text>(line.substr(1, close - 1));
        } else if (section && !line.starts_with(';') && equals != std::string_view::npos) {
            keys.emplace(*section, Text(line.substr(0, equals)));
        }
    }
    return keys;
}

bool onlyCrLfLineEnds(const Bytes& content) {
    for (std::size_t at = 0; at < content.size(); ++at) {
        const bool crWithoutLf =
            content[at] == '\r' && (at + 1 == content.size() || content[at + 1] != '\n');
        const bool lfWithoutCr = content[at] == '\n' && (at == 0 || content[at - 1] != '\r');
        if (crWithoutLf || lfWithoutCr) {
            return false;
        }
    }
    return true;
}

class RecordedProfileCase : public ::testing::TestWithParam<Scenario> {
protected:
    test::TempFolder m_drive;
};

TEST_P(RecordedProfileCase, ReadsAndWritesAsRecorded) {
    const std::filesystem::path file = hostPath(testFile);
    const std::filesystem::path recorded = hostPath(recordedFile);
    int stepNumber = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE("step " + std::to_string(++stepNumber) + ": [" + step.section + "] " +
                     step.key + " / " + step.value);
        switch (step.kind) {
            case Step::Kind::fixture:
                std::filesystem::copy_file(
                    std::filesystem::path(NAVOKET_SOURCE_DIR) / "tests/data/ini" / step.value, file,
                    std::filesystem::copy_options::overwrite_existing);
                break;
            case Step::Kind::noFile:
                std::filesystem::remove(file);
                break;
            case Step::Kind::read:
                EXPECT_EQ(getPrivateProfileString(step.section, step.key, step.value, step.size,
                                                  testFile),
                          step.expected);
                break;
            case Step::Kind::write: {
                ASSERT_TRUE(
                    writePrivateProfileString(step.section, step.key, step.value, testFile));
                const Bytes ours = readBytes(file);
                writeBytes(recorded, step.expected);
                std::set<std::pair<Text, Text>> keys = visibleKeys(ours);
                keys.merge(visibleKeys(step.expected));
                for (const auto& [section, key] : keys) {
                    EXPECT_EQ(profileValue(file, section, key),
                              profileValue(recorded, section, key))
                        << "[" << section << "] " << key << " in\n"
                        << ours;
                }
                EXPECT_TRUE(onlyCrLfLineEnds(ours)) << ours;
                break;
            }
        }
    }
}

const Scenario recordedScenarios[] = {
    {"C01",
     {fixture("c01-1.ini"), read("Email", "Smtp", "", 10240, "smtp.example.com"),
      read("email", "smtp", "", 10240, "smtp.example.com"),
      read("EMAIL", "SMTP", "", 10240, "smtp.example.com"),
      read("eMaIl", "sMtP", "", 10240, "smtp.example.com"),
      write("EMAIL", "SMTP", "new.example.com", "[Email]\r\nSmtp=new.example.com\r\n"),
      write("email", "Account", "a@b.c", "[Email]\r\nSmtp=new.example.com\r\nAccount=a@b.c\r\n")}},
    {"C02",
     {fixture("c02-1.ini"), read("s", "key1", "DEF", 10240, "value one"),
      read("s", "  key1  ", "DEF", 10240, "value one"),
      read(" s ", "key1", "DEF", 10240, "value one"), read("s", "key2", "DEF", 10240, "v2"),
      read("s", "key3", "DEF", 10240, "v3"), read("s", "key4", "DEF", 10240, "v4"),
      read("s", "key 5", "DEF", 10240, "v 5"), read("s", "key6", "DEF", 10240, "a=b"),
      read("s", "key7", "DEF", 10240, ""), read("spaced", "k", "DEF", 10240, "in spaced"),
      read(" spaced ", "k", "DEF", 10240, "in spaced"),
      write("s", "key3", "X",
            "[s]\r\nkey1=value one\r\nkey2=v2\r\nkey3=X\r\nkey4=v4\r\nkey 5=v "
            "5\r\nkey6=a=b\r\nkey7=\r\n[spaced]\r\nk=in spaced\r\n"),
      write("s", "new", "  padded value  ",
            "[s]\r\nkey1=value one\r\nkey2=v2\r\nkey3=X\r\nkey4=v4\r\nkey 5=v "
            "5\r\nkey6=a=b\r\nkey7=\r\nnew=padded value  \r\n[spaced]\r\nk=in spaced\r\n"),
      read("s", "new", "DEF", 10240, "padded value")}},
    {"C03",
     {fixture("c03-1.ini"), read("q", "d", "DEF", 10240, "double quoted"),
      read("q", "s", "DEF", 10240, "single quoted"), read("q", "u", "DEF", 10240, "\"unbalanced"),
      read("q", "u2", "DEF", 10240, "unbalanced\""), read("q", "m", "DEF", 10240, "\"mixed'"),
      read("q", "e", "DEF", 10240, ""), read("q", "in", "DEF", 10240, "a\"b\"c"),
      read("q", "sp", "DEF", 10240, "  padded  "), read("q", "tq", "DEF", 10240, "\"x\" y"),
      read("q", "d", "DEF", 5, "doub"), read("q", "d", "DEF", 14, "double quote"),
      read("q", "d", "DEF", 15, "double quoted"),
      write("q", "w", "\"written\"",
            "[q]\r\nd=\"double quoted\"\r\ns='single "
            "quoted'\r\nu=\"unbalanced\r\nu2=unbalanced\"\r\nm=\"mixed'\r\ne=\"\"\r\nin="
            "a\"b\"c\r\nsp=\"  padded  \"\r\ntq=\"x\" y\r\nw=\"written\"\r\n"),
      read("q", "w", "DEF", 10240, "written")}},
    {"C04",
     {fixture("c04-1.ini"), read("dup", "k", "DEF", 10240, "first"),
      read("dup", "only1", "DEF", 10240, "a"), read("dup", "only2", "DEF", 10240, "DEF"),
      read("DUP", "k", "DEF", 10240, "first"),
      write("dup", "k", "new",
            "[dup]\r\nk=new\r\nk=second\r\nonly1=a\r\n[other]\r\nx=1\r\n[dup]\r\nk=third\r\nonly2="
            "b\r\n[DUP]\r\nk=fourth\r\n"),
      read("dup", "k", "DEF", 10240, "new"),
      write("dup", "only2", "new2",
            "[dup]\r\nk=new\r\nk=second\r\nonly1=a\r\nonly2=new2\r\n[other]\r\nx=1\r\n[dup]\r\nk="
            "third\r\nonly2=b\r\n[DUP]\r\nk=fourth\r\n"),
      read("dup", "only2", "DEF", 10240, "new2")}},
    {"C05",
     {fixture("c05-1.ini"), read("s", "noequals", "DEF", 10240, "DEF"),
      read("s", "spaced noeq", "DEF", 10240, "DEF"), read("s", "k", "DEF", 10240, "v"),
      write("s", "noequals", "now", "[s]\r\nnoequals=now\r\nk=v\r\nspaced noeq\r\n"),
      read("s", "noequals", "DEF", 10240, "now")}},
    {"C06",
     {fixture("c06-1.ini"), read("s", "k", "DEF", 10240, "DEF"),
      read("s", "k2", "DEF", 10240, "v2 ; trailing"), read("s", "#hash", "DEF", 10240, "1"),
      read("s", "k3", "DEF", 10240, "v3;x"),
      write("s", "k", "added",
            "; top comment\r\n[s]\r\n;k=commented\r\nk2=v2 ; "
            "trailing\r\n;indented=1\r\n#hash=1\r\nk3=v3;x\r\nk=added\r\n"),
      read("s", "k", "DEF", 10240, "added")}},
    {"C07",
     {noFile(), write("s", "k", "", "[s]\r\nk=\r\n"), read("s", "k", "DEF", 10240, ""),
      write("s", "k2", "val", "[s]\r\nk=\r\nk2=val\r\n"),
      write("s", "k2", "", "[s]\r\nk=\r\nk2=\r\n"), read("s", "k2", "DEF", 10240, ""),
      write("s", "k2", "", "[s]\r\nk=\r\nk2=\r\n"),
      write(" s ", " k3 ", " v3 ", "[s]\r\nk=\r\nk2=\r\nk3 =v3 \r\n"),
      read("s", "k3", "DEF", 10240, "v3")}},
    {"C08",
     {noFile(), write("Email", "smtp", "smtp.example.com", "[Email]\r\nsmtp=smtp.example.com\r\n"),
      write("Email", "account", "user@example.com",
            "[Email]\r\nsmtp=smtp.example.com\r\naccount=user@example.com\r\n"),
      write("Email", "password", "907381",
            "[Email]\r\nsmtp=smtp.example.com\r\naccount=user@example.com\r\npassword=907381\r\n"),
      write("Email", "receive", "user@example.com",
            "[Email]\r\nsmtp=smtp.example.com\r\naccount=user@example.com\r\npassword="
            "907381\r\nreceive=user@example.com\r\n"),
      write("Ship", "Name", "0",
            "[Email]\r\nsmtp=smtp.example.com\r\naccount=user@example.com\r\npassword="
            "907381\r\nreceive=user@example.com\r\n[Ship]\r\nName=0\r\n"),
      write("Ship", "Data", "0",
            "[Email]\r\nsmtp=smtp.example.com\r\naccount=user@example.com\r\npassword="
            "907381\r\nreceive=user@example.com\r\n[Ship]\r\nName=0\r\nData=0\r\n"),
      write("Ship", "Data", "0",
            "[Email]\r\nsmtp=smtp.example.com\r\naccount=user@example.com\r\npassword="
            "907381\r\nreceive=user@example.com\r\n[Ship]\r\nName=0\r\nData=0\r\n"),
      write("Email", "smtp", "",
            "[Email]\r\nsmtp=\r\naccount=user@example.com\r\npassword=907381\r\nreceive=user@"
            "example.com\r\n[Ship]\r\nName=0\r\nData=0\r\n")}},
    {"C09",
     {fixture("c09-1.ini"), write("a", "new", "x", "[a]\r\nk1=1\r\nnew=x\r\n[b]\r\nk2=2\r\n"),
      write("b", "new", "y", "[a]\r\nk1=1\r\nnew=x\r\n[b]\r\nk2=2\r\nnew=y\r\n"),
      write("c", "new", "z", "[a]\r\nk1=1\r\nnew=x\r\n[b]\r\nk2=2\r\nnew=y\r\n[c]\r\nnew=z\r\n"),
      fixture("c09-2.ini"), read("a", "k1", "DEF", 10240, "1"),
      write("a", "k2", "2", "[a]\r\nk1=1\r\nk2=2\r\n"), fixture("c09-3.ini"),
      write("a", "k3", "3", "[a]\r\nk1=1\r\n; note\r\nk3=3\r\n[b]\r\nk2=2\r\n"),
      fixture("c09-4.ini"), write("a", "k", "v", "[a]\r\nk=v\r\n")}},
    {"C11",
     {fixture("c11-1.ini"), read("\xB4\xAC", "\xC3\xFB", "DEF", 10240, "\xD6\xD0\xCE\xC4"),
      read("\xB4\xAC", "k", "DEF", 10240, "\xD6\xD0\xCE\xC4"),
      read("\xB4\xAC", "fs", "DEF", 10240, "\xA1\xA1x\xA1\xA1"),
      read("\xB4\xAC", "pua", "DEF", 10240, "\xAA\xA1"),
      read("\xB4\xAC", "euro", "DEF", 10240, "\x80"), read("\xB4\xAC", "ff", "DEF", 10240, "\xFF"),
      write("\xB4\xAC", "k", "\xD6\xD0\xCE\xC4\xE9\xF0",
            "[\xB4\xAC]\r\n\xC3\xFB=\xD6\xD0\xCE\xC4\r\nk=\xD6\xD0\xCE\xC4\xE9\xF0\r\nfs="
            "\xA1\xA1x\xA1\xA1\r\npua=\xAA\xA1\r\neuro=\x80\r\nff=\xFF\r\n")}},
    {"C12",
     {fixture("c12-1.ini"), read("s", "k", "DEF", 10240, "v"), read("s", "k2", "DEF", 10240, "v2"),
      read("t", "x", "DEF", 10240, "1"),
      write("s", "k3", "new", "[s]\r\nk=v\r\nk2=v2\r\nk3=new\r\n[t]\r\nx=1\r\n"),
      write("s", "k", "changed", "[s]\r\nk=changed\r\nk2=v2\r\nk3=new\r\n[t]\r\nx=1\r\n")}},
    {"C13c", {fixture("c13c-1.ini"), read("s", "zh", "DEF", 10240, "\xE4\xB8\xAD\xE6\x96\x87")}},
    {"C14",
     {read("s", "k", "", 10240, ""), read("s", "k", "", 10240, ""),
      read("s", "k", "DEF  ", 10240, "DEF"), read("s", "k", "  DEF", 10240, "  DEF"),
      read("s", "k", "\"DEF\"", 10240, "DEF"), fixture("c14-1.ini"),
      read("s", "none", "", 10240, ""), read("none", "k", "", 10240, ""),
      read("s", "empty", "DEF", 10240, "")}},
    {"C15",
     {fixture("c15-1.ini"), read("s", "k", "DEF", 10240, "2"), read("cr", "k", "DEF", 10240, "3"),
      read("cr", "k2", "DEF", 10240, "4"),
      write("s", "k", "two",
            "pre=0\r\n[nobracket\r\nk=1\r\n[s]\r\nk=two\r\n[cr]\r\nk=3\r\nk2=4\r\n")}},
};

INSTANTIATE_TEST_SUITE_P(Windows, RecordedProfileCase, ::testing::ValuesIn(recordedScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// The recorded file of long values: six keys of the repeated alphabet, the
// two-byte character 中 5200 times with and without a leading "a", a short
// value and three Chinese characters.
Text alphabet(std::size_t length) {
    Text text;
    for (std::size_t at = 0; at < length; ++at) {
        text += static_cast<char>('a' + at % 26);
    }
    return text;
}

Text repeated(const Text& piece, std::size_t times) {
    Text text;
    for (std::size_t at = 0; at < times; ++at) {
        text += piece;
    }
    return text;
}

const Text zhong = "\xD6\xD0";
const Text threeCharacters = "\xD6\xD0\xCE\xC4\xB0\xA1";

Bytes longValuesFile() {
    Bytes file = "[long]\r\n";
    for (const std::size_t length : {10238, 10239, 10240, 10241, 20000, 70000}) {
        file += "a" + std::to_string(length) + "=" + alphabet(length) + "\r\n";
    }
    file += "gbk_even=" + repeated(zhong, 5200) + "\r\n";
    file += "gbk_odd=a" + repeated(zhong, 5200) + "\r\n";
    file += "short=abcdefgh\r\nzh=" + threeCharacters + "\r\n";
    return file;
}

TEST(RecordedLongValues, AtMostBufferSizeMinusOneWithoutSplittingCharacters) {
    test::TempFolder drive;
    const Bytes file = longValuesFile();
    ASSERT_EQ(file.size(), 151869u);  // the recorded file's length
    writeBytes(hostPath(testFile), file);
    const struct {
        const char* key;
        std::size_t size;
        Text expected;
    } cases[] = {
        {"a10238", 10240, alphabet(10238)},
        {"a10239", 10240, alphabet(10239)},
        {"a10240", 10240, alphabet(10239)},
        {"a10241", 10240, alphabet(10239)},
        {"a20000", 10240, alphabet(10239)},
        {"a70000", 10240, alphabet(10239)},
        {"gbk_even", 10240, repeated(zhong, 5119)},
        {"gbk_odd", 10240, "a" + repeated(zhong, 5119)},
        {"gbk_even", 10241, repeated(zhong, 5120)},
        {"short", 5, "abcd"},
        {"short", 1, ""},
        {"short", 0, ""},
        {"zh", 4, zhong},
        {"zh", 5, threeCharacters.substr(0, 4)},
        {"zh", 6, threeCharacters.substr(0, 4)},
        {"zh", 7, threeCharacters},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " size " + std::to_string(c.size));
        EXPECT_EQ(getPrivateProfileString("long", c.key, "", c.size, testFile), c.expected);
    }
    EXPECT_EQ(
        getPrivateProfileString("missing", "k", "a-default-longer-than-the-buffer", 8, testFile),
        "a-defau");
}

TEST(RecordedLongValues, LongValueIsWrittenWholeAndReadCut) {
    test::TempFolder drive;
    ASSERT_TRUE(writePrivateProfileString("w", "big", alphabet(20000), testFile));
    EXPECT_EQ(readBytes(hostPath(testFile)), "[w]\r\nbig=" + alphabet(20000) + "\r\n");
    EXPECT_EQ(getPrivateProfileString("w", "big", "", profileBufferSize, testFile),
              alphabet(10239));
}

TEST(ProfileBytes, InvalidDoubleByteSequencesAreKeptAsTheyAre) {
    test::TempFolder drive;
    writeBytes(hostPath(testFile), "[s]\r\nbad=\x81\x7F!\r\nlone=A\xD6\r\n");
    EXPECT_EQ(getPrivateProfileString("s", "bad", "", profileBufferSize, testFile), "\x81\x7F!");
    EXPECT_EQ(getPrivateProfileString("s", "lone", "", profileBufferSize, testFile), "A\xD6");
    ASSERT_TRUE(writePrivateProfileString("s", "w", "\x81\x7F-\xD6", testFile));
    EXPECT_EQ(getPrivateProfileString("s", "w", "", profileBufferSize, testFile), "\x81\x7F-\xD6");
    EXPECT_EQ(getPrivateProfileString("s", "bad", "", profileBufferSize, testFile), "\x81\x7F!");
}

TEST(ProfileBytes, NamesMatchOnCharacterBoundaries) {
    test::TempFolder drive;
    // 0xB4 0x5D is one character whose second byte is ']'; 0x8A 0x41 and
    // 0x8A 0x61 differ only in a second byte that looks like 'A' / 'a'.
    writeBytes(hostPath(testFile), "[x\xB4]y]\r\n\x8A\x41=upper\r\n");
    EXPECT_EQ(getPrivateProfileString("x\xB4]y", "\x8A\x41", "", profileBufferSize, testFile),
              "upper");
    EXPECT_EQ(getPrivateProfileString("x\xB4]y", "\x8A\x61", "none", profileBufferSize, testFile),
              "none");
    EXPECT_EQ(getPrivateProfileString("X\xB4]Y", "\x8A\x41", "", profileBufferSize, testFile),
              "upper");
}

}  // namespace
}  // namespace navoket
