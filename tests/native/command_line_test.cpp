#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/command_line_arguments.h"
#include "engine/run_options.h"

namespace halvorn {
namespace {

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

TEST(RunOptions, RestoreTakesTheNextArgumentAsItsPathAndTheOtherOptionsStillCount) {
    const struct {
        std::u16string commandLine;
        RestoreRequest restore;
        bool silentAndExitCode;
    } cases[] = {
        {u"/noui", {}, false},
        {u"/Restore", {RestoreTarget::NewestBackup, {}}, false},
        {u"/noui -restore /ExitCode", {RestoreTarget::NewestBackup, {}}, true},
        {u"/noui /Restore \"C:\\Temp dir\\Brimwell12-7-2026 9h5m3s (2).reg\" /ExitCode",
         {RestoreTarget::NamedBackup, u"C:\\Temp dir\\Brimwell12-7-2026 9h5m3s (2).reg"}, true},
        {u"/RESTORE C:\\x-y.reg /noui /exitcode", {RestoreTarget::NamedBackup, u"C:\\x-y.reg"}, true},
        {u"/Restore \"\" /noui /ExitCode", {RestoreTarget::Unreadable, {}}, true},
        {u"/Restore:C:\\x.reg", {RestoreTarget::Unreadable, {}}, false},
        {u"/Restore a.reg /Restore b.reg", {RestoreTarget::Unreadable, {}}, false},
        {u"word /Restore a.reg", {}, false},  // a word ends the options
    };
    for (const auto& [commandLine, restore, silentAndExitCode] : cases) {
        const RunOptions options = ReadRunOptions(commandLine);
        EXPECT_EQ(options.restore, restore) << testing::PrintToString(commandLine);
        EXPECT_EQ(options.exitCode, silentAndExitCode) << testing::PrintToString(commandLine);
    }
    EXPECT_EQ(OptionTextOf(u"/noui /Restore \"C:\\a b\\c.reg\" /ExitCode"), u"/noui /Restore /ExitCode");
}

}  // namespace
}  // namespace halvorn
