#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/options/offline_request.h"
#include "engine/options/restore_request.h"

namespace halvorn {

inline constexpr std::u16string_view kSilentOption = u"noui";
inline constexpr std::u16string_view kOverrideOption = u"Override";
inline constexpr std::u16string_view kReportOption = u"Report";
inline constexpr std::u16string_view kNoBackupOption = u"NoBackup";
inline constexpr std::u16string_view kExitCodeOption = u"ExitCode";
inline constexpr std::u16string_view kResultOption = u"Result";
inline constexpr std::u16string_view kLogFolderOption = u"LogFolder";

// What the command line's options ask of a run. Each is a switch of its own ("/" or "-", any ASCII
// case, values glued after ":" and ignored) in an argument of its own.
struct RunOptions {
    bool scanAll = false;     // "Override": every subkey of the roots, not only the target services
    bool reportOnly = false;  // "Report": find and log, delete nothing, back up nothing
    bool noBackup = false;    // "NoBackup": delete without saving the trees first
    bool exitCode = false;    // "ExitCode": end with a code that tells deployment tools the outcome
    OfflineRequest offline{};  // "Offline": the system hive of another installation instead
    RestoreRequest restore{};  // "Restore": put a backup's trees back instead of repairing
    // "Result", followed by the path of the file that receives the run's result; empty without.
    std::u16string resultFile{};
    // "LogFolder", followed by the folder for the log, the backup and a result file named without
    // one, instead of the temporary folder; empty without.
    std::u16string logFolder{};
};

// The command line read once, argument by argument as Windows splits it (quotes removed), each
// argument by the option grammar on its own, so that no argument hides the ones after it.
struct CommandLineReading {
    RunOptions options{};  // from every option that the grammar reads in any argument
    bool help = false;     // "?" or "help" among them
    // The first argument that is neither one switch that the tool knows nor the backup's path
    // after "/Restore": a switch by its switch character and name without its values, anything
    // else whole, as typed.
    std::optional<std::u16string> refusedArgument{};
    // Where refusedArgument is a switch that the tool knows, why it cannot be read.
    std::u16string_view refusedBecause{};
};

CommandLineReading ReadCommandLineArguments(std::u16string_view commandLine);

// The options of ReadCommandLineArguments: what start-up judged is what every run reads.
RunOptions ReadRunOptions(std::u16string_view commandLine);

}  // namespace halvorn
