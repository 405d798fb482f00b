#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/options/command_line_arguments.h"
#include "engine/options/option_list.h"
#include "engine/options/run_options.h"

namespace halvorn {

// Found by argument lookup, so that a failing comparison shows names and values as text.
void PrintTo(const Option& option, std::ostream* out) {
    *out << ::testing::PrintToString(option.name) << ' '
         << ::testing::PrintToString(option.values);
}

namespace {

using Options = std::vector<Option>;

Options Parsed(const OptionList& list) {
    return {list.begin(), list.end()};
}

struct ParseCase {
    const char* name;
    std::u16string text;
    bool parsed;
    Options options;
};

void PrintTo(const ParseCase& parseCase, std::ostream* out) {
    *out << ::testing::PrintToString(parseCase.text);
}

const ParseCase kParseCases[] = {
    {"Empty", u"", false, {}},
    {"BlanksAndTabsOnly", u"  \t \t ", false, {}},
    {"WideWhiteSpaceOnly", u"\u00A0\u3000\u2028 \r\n", false, {}},
    {"OptionAlone", u"/Override", true, {{u"Override", {}}}},
    {"DashOptionWithValues", u"-override:yes,no", true, {{u"override", {u"yes", u"no"}}}},
    {"OneBlankBetweenOptions", u"/noui /Override", true, {{u"noui", {}}, {u"Override", {}}}},
    // The second blank starts the next token; the switch character after it is still dropped.
    {"TwoBlanksBetweenOptions", u"/noui  /Override", true, {{u"noui", {}}, {u"Override", {}}}},
    {"ThreeBlanksBeforeAnOptionWithValues", u"-a   -b:1", true, {{u"a", {}}, {u"b", {u"1"}}}},
    {"BlankAndTabBetweenOptions", u"/a \t/b", true, {{u"a", {}}, {u"b", {}}}},
    {"ValuesAreTrimmed", u"/a:x, y /b", true, {{u"a", {u"x", u"y"}}, {u"b", {}}}},
    {"ColonInsideAValueIsDropped", u"/a:1:2", true, {{u"a", {u"12"}}}},
    {"CommaAfterColonGivesAnEmptyValue", u"/a:,b", true, {{u"a", {u"", u"b"}}}},
    {"DoubleCommaGivesAnEmptyValue", u"/a:x,,y", true, {{u"a", {u"x", u"", u"y"}}}},
    {"TrailingCommaAddsNoValue", u"/a:x,", true, {{u"a", {u"x"}}}},
    {"ColonAtTheEnd", u"/a:", true, {{u"a", {}}}},
    {"BlankAfterColonGivesAnEmptyValue", u"/a: /b", true, {{u"a", {u""}}, {u"b", {}}}},
    {"SwitchAlone", u"/", true, {{u"", {}}}},
    {"DashInAValueStartsAnOption", u"/a:1-2", true, {{u"a", {u"1"}}, {u"2", {}}}},
    {"SlashInAValueStartsAnOption", u"/path:C:/dir", true, {{u"path", {u"C"}}, {u"dir", {}}}},
    {"WordAfterAnOptionSwallowsTheRest", u"/a b /c", true, {{u"a", {}}}},
    {"TextBeforeTheFirstOptionSwallowsAll", u"foo /Override", true, {}},
    {"TabDoesNotSeparate", u"/a\t/b", true, {{u"a\t/b", {}}}},
    {"RepeatedNameGivesTwoEntries", u"/a /a:1", true, {{u"a", {}}, {u"a", {u"1"}}}},
    {"TextIsTrimmed", u" \t\u00A0/Override\u3000\r\n", true, {{u"Override", {}}}},
    {"NameIsTrimmedOfWideWhiteSpace", u"/\u00A0Override\u3000:x", true,
     {{u"Override", {u"x"}}}},
    {"ValuesAreTrimmedOfWideWhiteSpace", u"/a:\u3000x\u00A0,\u2003y\u205F", true,
     {{u"a", {u"x", u"y"}}}},
    // U+0085 and the zero-width space are not white space here, so they stay.
    {"NextLineAndZeroWidthSpaceStay", u"/a:\u0085x,y\u200B", true,
     {{u"a", {u"\u0085x", u"y\u200B"}}}},
    {"TextEndsAtItsTerminator", std::u16string(u"/a\0/b", 5), true, {{u"a", {}}}},
};

class OptionListParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(OptionListParse, GivesTheOptionsInOrder) {
    OptionList list;
    EXPECT_EQ(list.Parse(GetParam().text), GetParam().parsed);
    EXPECT_EQ(Parsed(list), GetParam().options);
    EXPECT_EQ(list.size(), GetParam().options.size());
    EXPECT_EQ(list.empty(), GetParam().options.empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, OptionListParse, ::testing::ValuesIn(kParseCases),
                         [](const ::testing::TestParamInfo<ParseCase>& caseInfo) {
                             return std::string(caseInfo.param.name);
                         });

TEST(OptionList, ParseReplacesWhatAnEarlierParseFound) {
    OptionList list;
    ASSERT_TRUE(list.Parse(u"/a:1 /b"));
    EXPECT_TRUE(list.Parse(u"-c"));
    EXPECT_EQ(Parsed(list), (Options{{u"c", {}}}));

    EXPECT_FALSE(list.Parse(u" "));
    EXPECT_TRUE(list.empty());
}

TEST(OptionList, ClearEmptiesTheListAndItCanBeFilledAgain) {
    OptionList list;
    ASSERT_TRUE(list.Parse(u"/a:1,2 /b"));
    ASSERT_EQ(list.size(), 2u);

    list.Clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.begin(), list.end());

    ASSERT_TRUE(list.Parse(u"/d:4"));
    EXPECT_EQ(Parsed(list), (Options{{u"d", {u"4"}}}));
}

TEST(IsSwitchToken, IsTrueWhenTheTrimmedTokenStartsWithSlashOrDash) {
    for (const std::u16string_view token : {u"/", u"-", u"/Override", u"-a:b", u"//", u"-/",
                                            u"  /a", u"\t-", u"/a  ", u"\u3000/a\u00A0"}) {
        EXPECT_TRUE(IsSwitchToken(token)) << ::testing::PrintToString(std::u16string(token));
    }
    for (const std::u16string_view token : {u"", u" ", u"\t\r\n", u"a/", u"a-b", u":/a", u",-a",
                                            u"\\a", u"\uFF0Fa", u"\u2010a", u"\u2212a"}) {
        EXPECT_FALSE(IsSwitchToken(token)) << ::testing::PrintToString(std::u16string(token));
    }
}

// Each white-space character on either side of the switch leaves it a switch token; the
// characters next to the set's edges, and look-alike blanks, do not.
TEST(IsSwitchToken, SkipsExactlyTheWhiteSpaceSet) {
    for (const char16_t blank :
         {u'\u0009', u'\u000A', u'\u000B', u'\u000C', u'\u000D', u'\u0020', u'\u00A0', u'\u1680',
          u'\u2000', u'\u2005', u'\u200A', u'\u2028', u'\u2029', u'\u202F', u'\u205F', u'\u3000'}) {
        const std::u16string token = std::u16string(2, blank) + u"/a" + blank;
        EXPECT_TRUE(IsSwitchToken(token)) << ::testing::PrintToString(token);
    }
    for (const char16_t other :
         {u'\u0000', u'\u0008', u'\u000E', u'\u001F', u'\u0021', u'\u0085', u'\u009F', u'\u00A1',
          u'\u00FF', u'\u167F', u'\u180E', u'\u1FFF', u'\u200B', u'\u2027', u'\u202A', u'\u2030',
          u'\u2060', u'\u2FFF', u'\u3001', u'\uFEFF'}) {
        const std::u16string token = other + std::u16string(u"/a");
        EXPECT_FALSE(IsSwitchToken(token)) << ::testing::PrintToString(token);
    }
}

TEST(SplitCommandLine, ReadsQuotesAndBackslashesAsWindowsProgramsDo) {
    const struct {
        std::u16string text;
        std::vector<std::u16string> arguments;
    } cases[] = {
        {u"", {}},
        {u" \t a\t b  ", {u"a", u"b"}},
        {u"\"C:\\Temp dir\\x.reg\" /noui", {u"C:\\Temp dir\\x.reg", u"/noui"}},
        {u"a\\\\b c\\", {u"a\\\\b", u"c\\"}},     // backslashes not before a quote stay as they are
        {u"\"a\\\\\" b", {u"a\\", u"b"}},         // two before a quote give one, and the quote closes
        {u"a\\\"b", {u"a\"b"}},                    // an odd one makes the quote literal
        {u"\"a\"\"b\" c", {u"a\"b", u"c"}},        // two quotes inside quotes give one
        {u"x\"y z\"w", {u"xy zw"}},                 // quotes anywhere group blanks
        {u"\"unclosed quote", {u"unclosed quote"}},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<std::u16string> arguments;
        for (const CommandLineArgument& argument : SplitCommandLine(text)) {
            arguments.push_back(argument.text);
        }
        EXPECT_EQ(arguments, expected) << testing::PrintToString(text);
    }
    const std::vector<CommandLineArgument> placed = SplitCommandLine(u" /a \"b c\"");
    EXPECT_EQ(placed, (std::vector<CommandLineArgument>{{u"/a", 1, 3}, {u"b c", 4, 9}}));
}

TEST(RunOptions, EachIsAnOptionOfItsOwnInAnyCase) {
    // Each argument is read on its own, so a word no longer hides the switches after it (start-up
    // refuses the word).
    for (const char16_t* commandLine :
         {u"/Report", u"-report", u"/noui /REPORT:yes", u"/Override -rEpOrT", u"foo /Report", u"/a b /Report"}) {
        EXPECT_TRUE(ReadRunOptions(commandLine).reportOnly);
    }
    for (const char16_t* commandLine : {u"/ExitCode", u"-exitcode", u"/noui /EXITCODE:1603", u"/Report -eXiTcOdE"}) {
        EXPECT_TRUE(ReadRunOptions(commandLine).exitCode);
    }
    for (const char16_t* commandLine :
         {u"", u"Report", u"/Reports", u"/noui", u"/noui:Report", u"/ExitCodes", u"ExitCode", u"/Exit Code"}) {
        const RunOptions options = ReadRunOptions(commandLine);
        EXPECT_FALSE(options.reportOnly || options.exitCode);
    }
}

}  // namespace
}  // namespace halvorn
