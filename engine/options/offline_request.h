#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/options/argument_option.h"

namespace halvorn {

inline constexpr std::u16string_view kOfflineOption = u"Offline";

// What the option "Offline" asks a run to repair.
enum class OfflineTarget {
    None,                // no "Offline": the running Windows' own HKLM\SYSTEM
    Search,              // "Offline": the installations on the other local drives, each loaded for the run
    NamedHive,           // "Offline:NAME": the hive that the administrator has loaded at HKLM\NAME
    Unreadable,          // given twice, or with a value that is not one key name as typed
    RunningWindowsHive,  // a name of the running Windows' own hives, such as SYSTEM
};

struct OfflineRequest {
    OfflineTarget target = OfflineTarget::None;
    std::u16string hiveKey;  // with NamedHive: the key directly below HKEY_LOCAL_MACHINE

    bool operator==(const OfflineRequest&) const = default;
};

// Reads "Offline" from the options of the command line's arguments. The name is hostile input: a
// run may delete below it, so only one plain key name directly below HKLM passes, exactly as it was
// typed in its argument (the option grammar cuts a value at "/" and "-" and drops ":"), and never a
// hive that the running Windows uses itself.
OfflineRequest ReadOfflineRequest(const std::vector<ArgumentOption>& options);

}  // namespace halvorn
