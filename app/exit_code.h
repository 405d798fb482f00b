#pragma once

#include <string>

#include "engine/repair/repair_counts.h"
#include "engine/restore/restore_result.h"
#include "engine/options/run_options.h"

namespace halvorn {

// How a start of the program ended, as far as the tools that deploy it need to know.
struct RunOutcome {
    enum class End {
        Failed,              // the wizard could not be shown, or the program stopped on an error
        Refused,             // not an administrator
        AnotherCopyRunning,  // another copy holds the single-instance mutex; this one did nothing
        Cancelled,           // the wizard ended before its repair started
        Repaired,            // a repair ran: repair holds what it found and deleted
        Restored,            // a restore ran: restore holds what it wrote back
        Help,                // the help was shown; nothing else happened
        UnknownSwitch,       // the command line was refused: refusal says why
    };
    End end = End::Failed;
    RepairCounts repair{};
    RestoreResult restore{};
    std::u16string refusal{};  // with UnknownSwitch: the log line and the window's text
};

// The process's exit code: 0 on every path unless the options ask for the outcome with
// "/ExitCode"; then the codes of Windows Installer, which software deployment tools already read
// as success, restart, retry or failure. A refused command line ends with 1639 either way.
int ExitCodeFor(const RunOutcome& outcome, const RunOptions& options);

// The code that "/ExitCode" gives for the outcome, whether the options hold it or not: what the
// event and the result tell.
int ExitCodeWithTheSwitch(const RunOutcome& outcome, RunOptions options);

// The exit code of a run whose result file could not be written: a code that tells of success, of
// keys found or of a restart becomes 1603, so that a deployment tool does not count the machine as
// done; one that tells of a failure already stays, since it says more.
int ExitCodeWithLostResult(int code);

}  // namespace halvorn
