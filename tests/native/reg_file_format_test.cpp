// The lines of a registry editor export. The expected texts are what "reg export" writes for the
// same values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/reg_file_format.h"
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

std::u16string Lines(const RegistryValue& value) {
    std::u16string text;
    EXPECT_TRUE(AppendRegValueLines(text, value));
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

TEST(RegFileText, IsLittleEndianUtf16) {
    EXPECT_EQ(EncodeUtf16Le(u"A\u00e9\u4e2d\U0001F600"),
              std::string("A\0\xe9\0\x2d\x4e\x3d\xd8\x00\xde", 10));
}

}  // namespace
}  // namespace halvorn
