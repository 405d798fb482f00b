// The lines of a registry editor export, written and read back. The expected texts are what
// "reg export" writes for the same values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/backup/reg_file_format.h"
#include "engine/backup/reg_file_reader.h"
#include "engine/restore/restore_plan.h"
#include "tests/support/utf16_text.h"

namespace halvorn {
namespace {

using namespace std::string_view_literals;
using testing::Utf16Bytes;

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (const int value : values) {
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

std::vector<std::uint8_t> Counting(int count) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(i));
    }
    return bytes;
}

// A backup's bytes: the byte-order mark, the header, then text.
std::string BackupBytes(std::u16string_view text) {
    return "\xFF\xFE" + EncodeUtf16Le(kRegFileHeader) + EncodeUtf16Le(text);
}

// The value's lines, which must read back as the same value.
std::u16string Lines(const RegistryValue& value) {
    std::u16string text;
    EXPECT_TRUE(AppendRegValueLines(text, value));
    const std::string bytes = BackupBytes(u"[HKEY_LOCAL_MACHINE\\K]\r\n" + text);
    RegFileReader reader(bytes);
    RegFileKey key;
    EXPECT_TRUE(reader.Next(key));
    EXPECT_EQ(key.values, std::vector{value});
    EXPECT_FALSE(reader.Next(key));
    EXPECT_EQ(reader.Fault(), u"");
    return text;
}

TEST(RegFileValue, EachTypeIsWrittenAsTheSystemToolWritesIt) {
    EXPECT_EQ(Lines({u"", kRegSz, Utf16Bytes(u"default\0"sv)}),
              u"@=\"default\"\r\n");
    EXPECT_EQ(Lines({u"empty", kRegSz, Utf16Bytes(u"\0"sv)}), u"\"empty\"=\"\"\r\n");
    EXPECT_EQ(Lines({u"dw", kRegDword, Bytes({0xef, 0xbe, 0, 0})}), u"\"dw\"=dword:0000beef\r\n");
    EXPECT_EQ(Lines({u"high", kRegDword, Bytes({1, 2, 3, 0xf4})}), u"\"high\"=dword:f4030201\r\n");
    EXPECT_EQ(Lines({u"qw", kRegQword, Counting(8)}), u"\"qw\"=hex(b):00,01,02,03,04,05,06,07\r\n");
    EXPECT_EQ(Lines({u"exp", kRegExpandSz, Utf16Bytes(u"%T%\0"sv)}),
              u"\"exp\"=hex(2):25,00,54,00,25,00,00,00\r\n");
    EXPECT_EQ(Lines({u"multi", kRegMultiSz, Utf16Bytes(u"a\0b\0\0"sv)}),
              u"\"multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n");
    EXPECT_EQ(Lines({u"none", kRegNone, Bytes({1, 2})}), u"\"none\"=hex(0):01,02\r\n");
    EXPECT_EQ(Lines({u"nothing", kRegNone, {}}), u"\"nothing\"=hex(0):\r\n");
    EXPECT_EQ(Lines({u"binempty", kRegBinary, {}}), u"\"binempty\"=hex:\r\n");
    EXPECT_EQ(Lines({u"odd", 0x12345, Bytes({0xaa, 0xbb})}), u"\"odd\"=hex(12345):aa,bb\r\n");
    EXPECT_EQ(Lines({u"top", 0xffff0001, {}}), u"\"top\"=hex(ffff0001):\r\n");
    EXPECT_EQ(Lines({u"", kRegNone, {}}), u"@=hex(0):\r\n");
}

TEST(RegFileValue, QuotesAndBackslashesAreEscapedInNamesAndStrings) {
    EXPECT_EQ(Lines({u"a\\b \"q\"", kRegSz, Utf16Bytes(u"C:\\x \"y\" \u00e9\u4e2d\U0001F600\0"sv)}),
              u"\"a\\\\b \\\"q\\\"\"=\"C:\\\\x \\\"y\\\" \u00e9\u4e2d\U0001F600\"\r\n");
    EXPECT_EQ(Lines({u"@", kRegDword, Bytes({1, 0, 0, 0})}), u"\"@\"=dword:00000001\r\n");
    EXPECT_EQ(Lines({u"[x]=", kRegBinary, Bytes({0})}), u"\"[x]=\"=hex:00\r\n");
}

// Quoted, such data would come back from an import with other bytes than it has now.
TEST(RegFileValue, StringsThatQuotingWouldChangeAreWrittenAsHex) {
    EXPECT_EQ(Lines({u"lf", kRegSz, Utf16Bytes(u"A\nB\0"sv)}),
              u"\"lf\"=hex(1):41,00,0a,00,42,00,00,00\r\n");
    EXPECT_EQ(Lines({u"cr", kRegSz, Utf16Bytes(u"A\r\0"sv)}),
              u"\"cr\"=hex(1):41,00,0d,00,00,00\r\n");
    EXPECT_EQ(Lines({u"noterm", kRegSz, Utf16Bytes(u"AB")}), u"\"noterm\"=hex(1):41,00,42,00\r\n");
    EXPECT_EQ(Lines({u"inner", kRegSz, Utf16Bytes(u"A\0B\0"sv)}),
              u"\"inner\"=hex(1):41,00,00,00,42,00,00,00\r\n");
    EXPECT_EQ(Lines({u"twoends", kRegSz, Utf16Bytes(u"A\0\0"sv)}),
              u"\"twoends\"=hex(1):41,00,00,00,00,00\r\n");
    EXPECT_EQ(Lines({u"zero", kRegSz, {}}), u"\"zero\"=hex(1):\r\n");
    EXPECT_EQ(Lines({u"oddsize", kRegSz, Bytes({0x41, 0, 0})}), u"\"oddsize\"=hex(1):41,00,00\r\n");
    EXPECT_EQ(Lines({u"short", kRegDword, Bytes({1, 2})}), u"\"short\"=hex(4):01,02\r\n");
    EXPECT_EQ(Lines({u"long", kRegDword, Counting(5)}), u"\"long\"=hex(4):00,01,02,03,04\r\n");
}

TEST(RegFileValue, LongHexDataWrapsWhereTheSystemToolWrapsIt) {
    EXPECT_EQ(Lines({u"bin", kRegBinary, Counting(100)}),
              u"\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
              u"  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\\\r\n"
              u"  30,31,32,33,34,35,36,37,38,39,3a,3b,3c,3d,3e,3f,40,41,42,43,44,45,46,47,48,\\\r\n"
              u"  49,4a,4b,4c,4d,4e,4f,50,51,52,53,54,55,56,57,58,59,5a,5b,5c,5d,5e,5f,60,61,\\\r\n"
              u"  62,63\r\n");
    // The type's own prefix counts towards the first line.
    EXPECT_EQ(Lines({u"abc", 0xffff0001, Counting(40)}),
              u"\"abc\"=hex(ffff0001):00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,\\\r\n"
              u"  13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27\r\n");
    // A line that ends exactly with the data gets no continuation.
    EXPECT_EQ(Lines({u"bin", kRegBinary, Counting(24)}),
              u"\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
              u"  17\r\n");
    EXPECT_EQ(Lines({u"bin", kRegBinary, Counting(23)}),
              u"\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16\r\n");
}

TEST(RegFileValue, ALongOrEscapedNameMovesTheFirstWrap) {
    // The column counts the name as written, escapes included, in UTF-16 units.
    EXPECT_EQ(Lines({std::u16string(100, u'N'), kRegBinary, Counting(3)}),
              u"\"" + std::u16string(100, u'N') + u"\"=hex:00,\\\r\n  01,02\r\n");
    EXPECT_EQ(Lines({std::u16string(30, u'\\'), kRegBinary, Counting(30)}),
              u"\"" + std::u16string(60, u'\\') +
                  u"\"=hex:00,01,02,03,\\\r\n"
                  u"  04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,\\\r\n"
                  u"  1d\r\n");
    std::u16string emoji;
    for (int i = 0; i < 20; ++i) {
        emoji += u"\U0001F600";
    }
    EXPECT_EQ(Lines({emoji, kRegBinary, Counting(30)}),
              u"\"" + emoji +
                  u"\"=hex:00,01,02,03,04,05,06,07,08,09,\\\r\n"
                  u"  0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d\r\n");
}

TEST(RegFileLines, ANameThatNoLineCanCarryIsRefused) {
    for (const std::u16string_view name :
         {u"a\nb"sv, u"a\rb"sv, u"a\0b"sv, u"\n"sv, u"ab\r"sv}) {
        std::u16string text = u"kept";
        EXPECT_FALSE(AppendRegValueLines(text, {std::u16string(name), kRegDword, Counting(4)}));
        EXPECT_FALSE(AppendRegKeyLine(text, u"SYSTEM\\Set\\" + std::u16string(name) + u"\\$%&'(a"));
        EXPECT_EQ(text, u"kept");
    }
}

// Import takes the key's name up to the line's last "]", so brackets inside a name come back.
TEST(RegFileKey, AKeyLineFollowsABlankLineAndKeepsItsNameAsItIs) {
    std::u16string text;
    EXPECT_TRUE(AppendRegKeyLine(text, u"SYSTEM\\Set\\Services\\X\\$%&'(a]b c]"));
    EXPECT_EQ(text, u"\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Set\\Services\\X\\$%&'(a]b c]]\r\n");
}

TEST(RegFileRead, TakesOnlyWhatTheToolWritesAndOnlyTheTreesThatARepairDeletes) {
    const std::u16string key = u"\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\X\\$%&'(a";
    const struct {
        const char* name;
        std::string bytes;
        std::size_t faultLine;  // 0: read and planned as one tree
        std::u16string_view fault;
    } rows[] = {
        {"a tree", BackupBytes(key + u"]\r\n@=\"a\\\\b\\\"\"\r\n" + key + u"\\Sub\\$%&'(c]\r\n\r\n"), 0, {}},
        {"no byte-order mark", "\xFE\xFF" + EncodeUtf16Le(kRegFileHeader), 1, u"UTF-16"},
        {"half a character", BackupBytes(key + u"]") + "x", 1, u"UTF-16"},
        {"another header", "\xFF\xFE" + EncodeUtf16Le(u"REGEDIT4\r\n"), 1, u"Windows Registry Editor"},
        {"a lone line feed", BackupBytes(key + u"]\r\n@=dword:00000001\n"), 4, u"line break"},
        {"a key deleted", BackupBytes(u"\r\n[-HKEY_LOCAL_MACHINE\\SYSTEM]\r\n"), 3, u"deletion"},
        {"a value deleted", BackupBytes(key + u"]\r\n\"v\"=-\r\n"), 4, u"deletion"},
        {"another root", BackupBytes(u"\r\n[HKEY_CURRENT_USER\\Software]\r\n"), 3, u"outside HKEY_LOCAL_MACHINE"},
        {"an empty key name", BackupBytes(key + u"\\\\x]\r\n"), 3, u"empty key name"},
        {"a value before any key", BackupBytes(u"@=\"x\"\r\n"), 2, u"before the first key"},
        {"an escape the export does not write", BackupBytes(key + u"]\r\n@=\"a\\n\"\r\n"), 4, u"value line"},
        {"seven digits of a dword", BackupBytes(key + u"]\r\n@=dword:0000001\r\n"), 4, u"value line"},
        {"a hex byte of one digit", BackupBytes(key + u"]\r\n@=hex:0,01\r\n"), 4, u"value line"},
        {"text after a string", BackupBytes(key + u"]\r\n@=\"a\"b\r\n"), 4, u"value line"},
        {"hex continued past the end", BackupBytes(key + u"]\r\n@=hex:01,\\"), 4, u"past the end"},
        {"a selected key", BackupBytes(u"\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\$%&'(a]\r\n"), 3,
         u"outside the trees"},
        {"a key beside the trees", BackupBytes(key + u"]\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\X]\r\n"),
         5, u"outside the trees"},
        {"not a control set", BackupBytes(u"\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Select\\Services\\X\\$%&'(a]\r\n"), 3,
         u"outside the trees"},
        {"not a root of the repair",
         BackupBytes(u"\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Hardware Profiles\\X\\$%&'(a]\r\n"), 3,
         u"outside the trees"},
        {"a second hive", BackupBytes(key + u"]\r\n\r\n[HKEY_LOCAL_MACHINE\\HalvornOfflineD\\ControlSet001\\Enum\\X\\$%&'(b]\r\n"),
         5, u"second hive"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<RestoreTree> trees;
        const RestorePlan plan = ReadRestoreTrees(row.bytes, [&trees](const RestoreTree& tree) { trees.push_back(tree); });
        EXPECT_EQ(plan.faultLine, row.faultLine);
        EXPECT_NE(plan.fault.find(row.fault), std::u16string_view::npos) << ::testing::PrintToString(std::u16string(plan.fault));
        if (row.faultLine == 0) {
            EXPECT_EQ(plan.treeCount, 1);
            ASSERT_EQ(trees.size(), 1u);
            EXPECT_EQ(plan.hiveKey, u"SYSTEM");
            EXPECT_EQ(trees[0].parentPath, u"ControlSet001\\Services\\X");
            ASSERT_EQ(trees[0].keys.size(), 2u);
            EXPECT_EQ(trees[0].keys[1].path, u"$%&'(a\\Sub\\$%&'(c");
            EXPECT_EQ(trees[0].keys[0].values, (std::vector<RegistryValue>{{u"", kRegSz, Utf16Bytes(u"a\\b\"\0"sv)}}));
        } else {
            EXPECT_EQ(trees.size(), 0u) << "a tree handed over before the fault that follows it";
        }
    }
}

TEST(RegFileText, IsLittleEndianUtf16) {
    EXPECT_EQ(EncodeUtf16Le(u"A\u00e9\u4e2d\U0001F600"),
              std::string("A\0\xe9\0\x2d\x4e\x3d\xd8\x00\xde", 10));
}

}  // namespace
}  // namespace halvorn
