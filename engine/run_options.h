#pragma once

#include <string_view>

#include "engine/offline_request.h"
#include "engine/restore_request.h"

namespace halvorn {

inline constexpr std::u16string_view kOverrideOption = u"Override";
inline constexpr std::u16string_view kReportOption = u"Report";
inline constexpr std::u16string_view kNoBackupOption = u"NoBackup";
inline constexpr std::u16string_view kExitCodeOption = u"ExitCode";

// What the command line's options ask of a run. Each is an option of its own ("/" or "-", any
// ASCII case, values ignored) in the option list that OptionTextOf gives.
struct RunOptions {
    bool scanAll = false;     // "Override": every subkey of the roots, not only the target services
    bool reportOnly = false;  // "Report": find and log, delete nothing, back up nothing
    bool noBackup = false;    // "NoBackup": delete without saving the trees first
    bool exitCode = false;    // "ExitCode": end with a code that tells deployment tools the outcome
    OfflineRequest offline{};  // "Offline": the system hive of another installation instead
    RestoreRequest restore{};  // "Restore": put a backup's trees back instead of repairing
};

RunOptions ReadRunOptions(std::u16string_view commandLine);

}  // namespace halvorn
