#pragma once

#include <string>
#include <string_view>

#include "engine/option_list.h"

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

// The command line as the option grammar reads it: without the argument that follows "/Restore"
// (or "-Restore"), which is a path in Windows' own quoting. A path holds ":", "\" and often "-",
// which the grammar would read as values and switches, and it would end the options before any
// that follow it.
std::u16string OptionTextOf(std::u16string_view commandLine);

// Reads "Restore" from the options that OptionTextOf(commandLine) gave.
RestoreRequest ReadRestoreRequest(const OptionList& options, std::u16string_view commandLine);

}  // namespace halvorn
