#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/exit_code.h"
#include "app/run_event.h"
#include "engine/repair/found_key.h"
#include "engine/restore/restore_result.h"

namespace halvorn {

// A date and time in UTC, as the system clock gives it.
struct UtcTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;  // 1 to 12
    std::uint16_t day = 0;    // 1 to 31
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
};

using ResultKey = FoundKey;

using ResultTree = RestoredTree;

// One system hive that an offline run repaired.
struct ResultInstallation {
    std::u16string windows;   // "D:\Windows"; empty for a hive that the administrator loaded
    std::u16string hive;      // its hive file; empty for a hive that the administrator loaded
    std::u16string loadedAt;  // "HKLM\HalvornOfflineD"
    RunFilePaths copies{};    // the copies of the log and of this hive's backup in its Windows\Temp
};

// What one start of the program came to, for the deployment tools and scripts that read it: filled
// by the run as it goes, and written once at its end. The outcome, the mode and the exit code
// follow outcome and options, as the run's event does.
struct RunResult {
    RunOutcome outcome{};
    RunOptions options{};
    UtcTime started{};
    UtcTime finished{};
    std::u16string computer{};
    std::u16string account{};
    std::vector<std::u16string> arguments{};  // as judged: split as Windows splits them, quotes removed
    std::vector<ResultKey> keys{};
    std::vector<ResultTree> trees{};  // with a restore
    RunFilePaths files{};             // the run's log and backup; a restore's backup is outcome.restore's
    std::vector<ResultInstallation> installations{};  // with an offline run
    bool resultLost = false;  // the result file that the command line named could not be written
};

// The code that the process ends with: ExitCodeFor, and ExitCodeWithLostResult after a lost result.
int ProcessExitCode(const RunResult& result);

// The result as one JSON object in UTF-8 without a byte-order mark; none for the help, which
// changes nothing. A key or tree whose path is not valid UTF-16 has U+FFFD for each unpaired
// surrogate and "exactName": false; the backup holds its name exactly.
std::optional<std::string> RunResultJson(const RunResult& result);

// The one line for standard output, in UTF-8 without a line end: the mode, the outcome, the counts,
// the exit code that the process ends with, and the log's path last, the one part that can be long,
// cut so that the line holds at most 2,048 bytes, and so as many characters at most, which is all
// that Intune Remediations show of the last line. None for the help.
std::optional<std::string> StandardOutputLine(const RunResult& result);

}  // namespace halvorn
