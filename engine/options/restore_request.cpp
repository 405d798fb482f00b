#include "engine/options/restore_request.h"

#include <algorithm>

#include "engine/registry/ascii_case.h"
#include "engine/options/command_line_arguments.h"

namespace halvorn {

bool IsRestoreSwitch(std::u16string_view argument) {
    return argument.size() == kRestoreOption.size() + 1 && (argument.front() == u'/' || argument.front() == u'-') &&
           EqualsIgnoringAsciiCase(argument.substr(1), kRestoreOption);
}

std::u16string TextWithoutBackupPath(std::u16string_view commandLine) {
    const std::vector<CommandLineArgument> arguments = SplitCommandLine(commandLine);
    const auto isRestore = [](const CommandLineArgument& argument) { return IsRestoreSwitch(argument.text); };
    const auto restore = std::find_if(arguments.begin(), arguments.end(), isRestore);
    std::u16string text(commandLine);
    // Where the switch stands twice, no path is cut: the restore is refused as unreadable anyway.
    if (std::count_if(arguments.begin(), arguments.end(), isRestore) == 1 && restore + 1 != arguments.end() &&
        !IsSwitchToken((restore + 1)->text)) {
        text.erase(restore->end, (restore + 1)->end - restore->end);
    }
    return text;
}

RestoreRequest ReadRestoreRequest(const std::vector<ArgumentOption>& options,
                                  const std::optional<std::u16string>& backupPath) {
    const auto isRestore = [](const ArgumentOption& read) {
        return EqualsIgnoringAsciiCase(read.option.name, kRestoreOption);
    };
    const auto restore = std::find_if(options.begin(), options.end(), isRestore);
    if (restore == options.end()) {
        return {};
    }
    if (std::find_if(restore + 1, options.end(), isRestore) != options.end() || !restore->option.values.empty()) {
        return {RestoreTarget::Unreadable, {}};  // which file is meant?
    }
    if (!backupPath) {
        return {RestoreTarget::NewestBackup, {}};
    }
    if (backupPath->empty()) {
        return {RestoreTarget::Unreadable, {}};
    }
    return {RestoreTarget::NamedBackup, *backupPath};
}

}  // namespace halvorn
