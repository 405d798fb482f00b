#include "engine/run_options.h"

#include <algorithm>
#include <array>
#include <vector>

#include "engine/ascii_case.h"
#include "engine/command_line_arguments.h"

namespace halvorn {

namespace {

constexpr std::array<std::u16string_view, 2> kHelpOptions = {u"?", u"help"};
constexpr std::array<std::u16string_view, 9> kKnownOptions = {
    kSilentOption,   kOverrideOption, kReportOption,   kNoBackupOption, kExitCodeOption,
    kOfflineOption,  kRestoreOption,  kHelpOptions[0], kHelpOptions[1]};

bool IsOneOf(const auto& names, std::u16string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [name](std::u16string_view known) { return EqualsIgnoringAsciiCase(name, known); });
}

bool HasOption(const std::vector<ArgumentOption>& options, const auto& names) {
    return std::any_of(options.begin(), options.end(),
                       [&names](const ArgumentOption& read) { return IsOneOf(names, read.option.name); });
}

// Whether the grammar read the argument whole as one switch: a blank ends a switch's name and gives
// it no values, so the grammar drops a word after a blank before the ":".
bool IsOneWholeSwitch(std::u16string_view argument, const OptionList& options) {
    return options.size() == 1 && argument.substr(0, argument.find(u':')).find(u' ') == std::u16string_view::npos;
}

}  // namespace

CommandLineReading ReadCommandLineArguments(std::u16string_view commandLine) {
    const std::vector<CommandLineArgument> arguments = SplitCommandLine(commandLine);
    CommandLineReading reading;
    std::vector<ArgumentOption> options;
    std::optional<std::u16string> backupPath;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::u16string& argument = arguments[at].text;
        if (at > 0 && IsRestoreSwitch(arguments[at - 1].text) && !IsSwitchToken(argument)) {
            if (!backupPath) {
                backupPath = argument;
            }
            continue;
        }
        OptionList read;
        read.Parse(argument);
        const bool oneSwitch = IsOneWholeSwitch(argument, read);
        if (!reading.refusedArgument && !(oneSwitch && IsOneOf(kKnownOptions, read.begin()->name))) {
            reading.refusedArgument = oneSwitch ? read.begin()->switchCharacter + read.begin()->name : argument;
        }
        for (const Option& option : read) {
            options.push_back({option, argument});
        }
    }
    reading.help = HasOption(options, kHelpOptions);
    reading.options = {HasOption(options, std::array{kOverrideOption}),
                       HasOption(options, std::array{kReportOption}),
                       HasOption(options, std::array{kNoBackupOption}),
                       HasOption(options, std::array{kExitCodeOption}),
                       ReadOfflineRequest(options),
                       ReadRestoreRequest(options, backupPath)};
    return reading;
}

RunOptions ReadRunOptions(std::u16string_view commandLine) { return ReadCommandLineArguments(commandLine).options; }

}  // namespace halvorn
