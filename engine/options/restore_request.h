#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/options/argument_option.h"

namespace halvorn {

inline constexpr std::u16string_view kRestoreOption = u"Restore";

// What the option "Restore" asks a run to do.
enum class RestoreTarget {
    None,          // no "Restore": a repair
    NewestBackup,  // "Restore" alone: the newest trusted backup where this account's runs write
    NamedBackup,   // "Restore" followed by a backup's path
    Unreadable,    // given twice, with values, or followed by an empty argument
};

struct RestoreRequest {
    RestoreTarget target = RestoreTarget::None;
    std::u16string backupPath;  // with NamedBackup

    bool operator==(const RestoreRequest&) const = default;
};

// True for "/Restore" or "-Restore" standing alone as an argument: the argument after it, unless it
// is a switch, is the backup's path in Windows' own quoting. A path holds ":", "\" and often "-",
// which the option grammar would read as values and switches.
bool IsRestoreSwitch(std::u16string_view argument);

// The command line without the backup's path after "/Restore", where the silent run's "/noui" is
// looked for: a path that holds those characters does not make a run silent.
std::u16string TextWithoutBackupPath(std::u16string_view commandLine);

// Reads "Restore" from the options of the command line's arguments, and the argument that stood
// after the first "/Restore" as its backup's path (nothing when none did).
RestoreRequest ReadRestoreRequest(const std::vector<ArgumentOption>& options,
                                  const std::optional<std::u16string>& backupPath);

}  // namespace halvorn
