#include "engine/restore_request.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "engine/ascii_case.h"
#include "engine/command_line_arguments.h"

namespace halvorn {

namespace {

bool IsRestoreSwitch(std::u16string_view argument) {
    return argument.size() == kRestoreOption.size() + 1 && (argument.front() == u'/' || argument.front() == u'-') &&
           EqualsIgnoringAsciiCase(argument.substr(1), kRestoreOption);
}

// The argument after "/Restore", when it is not a switch itself. Where the switch stands twice, the
// option list hides the second behind the first one's path, so the count tells.
std::optional<CommandLineArgument> BackupPathArgument(std::u16string_view commandLine, std::size_t& restoreSwitchEnd,
                                                      std::size_t& restoreSwitches) {
    const std::vector<CommandLineArgument> arguments = SplitCommandLine(commandLine);
    const auto isRestore = [](const CommandLineArgument& argument) { return IsRestoreSwitch(argument.text); };
    restoreSwitches = static_cast<std::size_t>(std::count_if(arguments.begin(), arguments.end(), isRestore));
    const auto restore = std::find_if(arguments.begin(), arguments.end(), isRestore);
    if (restoreSwitches != 1 || restore + 1 == arguments.end() || IsSwitchToken((restore + 1)->text)) {
        return std::nullopt;
    }
    restoreSwitchEnd = restore->end;
    return *(restore + 1);
}

}  // namespace

std::u16string OptionTextOf(std::u16string_view commandLine) {
    std::size_t restoreSwitchEnd = 0;
    std::size_t restoreSwitches = 0;
    std::u16string text(commandLine);
    if (const std::optional<CommandLineArgument> path =
            BackupPathArgument(commandLine, restoreSwitchEnd, restoreSwitches)) {
        text.erase(restoreSwitchEnd, path->end - restoreSwitchEnd);
    }
    return text;
}

RestoreRequest ReadRestoreRequest(const OptionList& options, std::u16string_view commandLine) {
    const auto isRestore = [](const Option& option) { return EqualsIgnoringAsciiCase(option.name, kRestoreOption); };
    const auto restore = std::find_if(options.begin(), options.end(), isRestore);
    if (restore == options.end()) {
        return {};
    }
    std::size_t restoreSwitchEnd = 0;
    std::size_t restoreSwitches = 0;
    const std::optional<CommandLineArgument> path = BackupPathArgument(commandLine, restoreSwitchEnd, restoreSwitches);
    if (restoreSwitches > 1 || std::find_if(restore + 1, options.end(), isRestore) != options.end() ||
        !restore->values.empty()) {
        return {RestoreTarget::Unreadable, {}};  // which file is meant?
    }
    if (!path) {
        return {RestoreTarget::NewestBackup, {}};
    }
    if (path->text.empty()) {
        return {RestoreTarget::Unreadable, {}};
    }
    return {RestoreTarget::NamedBackup, path->text};
}

}  // namespace halvorn
