#include "engine/options/run_options.h"

#include <algorithm>
#include <array>
#include <vector>

#include "engine/registry/ascii_case.h"
#include "engine/options/command_line_arguments.h"

namespace halvorn {

namespace {

constexpr std::array<std::u16string_view, 2> kHelpOptions = {u"?", u"help"};
constexpr std::array<std::u16string_view, 11> kKnownOptions = {
    kSilentOption,   kOverrideOption, kReportOption,   kNoBackupOption,  kExitCodeOption, kOfflineOption,
    kRestoreOption,  kResultOption,   kLogFolderOption, kHelpOptions[0], kHelpOptions[1]};
constexpr std::u16string_view kPathMissing =
    u"it takes a path as the next argument, once, in quotes where the path holds blanks";

// A switch whose path is the next argument, as typed ("/Result" or "-result"), alone in its argument.
bool IsPathSwitch(std::u16string_view argument, std::u16string_view name) {
    return argument.size() == name.size() + 1 && IsSwitchToken(argument.substr(0, 1)) &&
           EqualsIgnoringAsciiCase(argument.substr(1), name);
}

// Takes each path switch's next argument as its path: given once, alone, with a path after it.
std::u16string* PathOf(RunOptions& options, std::u16string_view argument) {
    if (IsPathSwitch(argument, kResultOption)) {
        return &options.resultFile;
    }
    return IsPathSwitch(argument, kLogFolderOption) ? &options.logFolder : nullptr;
}

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
    const auto refuse = [&reading](std::u16string_view argument, std::u16string_view because = {}) {
        if (!reading.refusedArgument) {
            reading.refusedArgument = std::u16string(argument);
            reading.refusedBecause = because;
        }
    };
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::u16string& argument = arguments[at].text;
        const bool followsPathSwitch = at > 0 && !IsSwitchToken(argument);
        if (followsPathSwitch && IsRestoreSwitch(arguments[at - 1].text)) {
            if (!backupPath) {
                backupPath = argument;
            }
            continue;
        }
        if (std::u16string* path = followsPathSwitch ? PathOf(reading.options, arguments[at - 1].text) : nullptr) {
            if (path->empty() && !argument.empty()) {
                *path = argument;
            } else {
                refuse(arguments[at - 1].text, kPathMissing);
            }
            continue;
        }
        OptionList read;
        read.Parse(argument);
        const bool oneSwitch = IsOneWholeSwitch(argument, read);
        if (!(oneSwitch && IsOneOf(kKnownOptions, read.begin()->name))) {
            refuse(oneSwitch ? read.begin()->switchCharacter + read.begin()->name : argument);
        } else if ((IsOneOf(std::array{kResultOption, kLogFolderOption}, read.begin()->name)) &&
                   (PathOf(reading.options, argument) == nullptr || at + 1 == arguments.size() ||
                    IsSwitchToken(arguments[at + 1].text))) {
            refuse(argument, kPathMissing);  // with a value after ":", or with no path after it
        }
        for (const Option& option : read) {
            options.push_back({option, argument});
        }
    }
    reading.help = HasOption(options, kHelpOptions);
    reading.options.scanAll = HasOption(options, std::array{kOverrideOption});
    reading.options.reportOnly = HasOption(options, std::array{kReportOption});
    reading.options.noBackup = HasOption(options, std::array{kNoBackupOption});
    reading.options.exitCode = HasOption(options, std::array{kExitCodeOption});
    reading.options.offline = ReadOfflineRequest(options);
    reading.options.restore = ReadRestoreRequest(options, backupPath);
    return reading;
}

RunOptions ReadRunOptions(std::u16string_view commandLine) { return ReadCommandLineArguments(commandLine).options; }

}  // namespace halvorn
