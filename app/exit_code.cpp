#include "app/exit_code.h"

namespace halvorn {

namespace {

constexpr int kSuccess = 0;                // ERROR_SUCCESS
constexpr int kNeedsRemediation = 1;       // a detection script's "not compliant"
constexpr int kElevationRequired = 740;    // ERROR_ELEVATION_REQUIRED
constexpr int kCancelledByUser = 1602;     // ERROR_INSTALL_USEREXIT
constexpr int kFailure = 1603;             // ERROR_INSTALL_FAILURE
constexpr int kRetryLater = 1618;          // ERROR_INSTALL_ALREADY_RUNNING
constexpr int kInvalidCommandLine = 1639;  // ERROR_INVALID_COMMAND_LINE
constexpr int kRestartRecommended = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED

int RepairExitCode(const RepairCounts& repair, bool reportOnly) {
    if (repair.failed) {
        return kFailure;  // counts of 0 then do not mean a sound registry
    }
    if (reportOnly) {
        return repair.invalidCount > 0 ? kNeedsRemediation : kSuccess;
    }
    if (repair.invalidCount <= 0) {
        return kSuccess;
    }
    // Keys that stayed (refused, or their backup could not be written) need another run.
    return repair.deletedCount < repair.invalidCount ? kFailure : kRestartRecommended;
}

}  // namespace

int ExitCodeFor(const RunOutcome& outcome, const RunOptions& options) {
    // Scripts written for the tool as it always was rely on 0; but after a refused command line
    // nothing ran, and success would be a failure reported as success.
    if (!options.exitCode && outcome.end != RunOutcome::End::UnknownSwitch) {
        return kSuccess;
    }
    switch (outcome.end) {
    case RunOutcome::End::Help:
        return kSuccess;
    case RunOutcome::End::UnknownSwitch:
        return kInvalidCommandLine;
    case RunOutcome::End::Refused:
        return kElevationRequired;
    case RunOutcome::End::AnotherCopyRunning:
        return kRetryLater;
    case RunOutcome::End::Cancelled:
        return kCancelledByUser;
    case RunOutcome::End::Repaired:
        return RepairExitCode(outcome.repair, options.reportOnly);
    case RunOutcome::End::Restored:
        return outcome.restore.refused || outcome.restore.restoredCount < outcome.restore.treeCount ? kFailure
                                                                                                  : kSuccess;
    case RunOutcome::End::Failed:
        break;
    }
    return kFailure;
}

int ExitCodeWithTheSwitch(const RunOutcome& outcome, RunOptions options) {
    options.exitCode = true;
    return ExitCodeFor(outcome, options);
}

int ExitCodeWithLostResult(int code) {
    return code == kSuccess || code == kNeedsRemediation || code == kRestartRecommended ? kFailure : code;
}

}  // namespace halvorn
