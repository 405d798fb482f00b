#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/exit_code.h"

namespace halvorn {

// The source of the tool's events in the Application log.
inline constexpr std::u16string_view kEventSource = u"HalvornRepair";

// The values of EVENTLOG_ERROR_TYPE, EVENTLOG_WARNING_TYPE and EVENTLOG_INFORMATION_TYPE.
enum class EventType : std::uint16_t { Error = 1, Warning = 2, Information = 4 };

// One event of the Application log. Its ID lies from 1 to 1000, where the source's message file,
// EventCreate.exe, shows any event's one string as its text.
struct RunEvent {
    std::uint16_t id = 0;
    EventType type = EventType::Information;
    std::u16string text{};

    bool operator==(const RunEvent&) const = default;
};

// Where the run left its files: each empty when the run wrote none.
struct RunFilePaths {
    std::u16string log{};
    std::u16string backup{};
};

// The backup that the run wrote, or for a restore the one that it read; empty where there is none.
const std::u16string& RunBackup(const RunOutcome& outcome, const RunFilePaths& files);

// The one event of a start of the program; none for the help, which changes nothing. Its ID and
// type follow the outcome. Its text starts with the outcome and the two counts, which viewers that
// shorten a long text still show, then the exit code that "/ExitCode" gives, the paths of the log
// and the backup (for a restore the backup read), and the switches as typed.
std::optional<RunEvent> RunEventFor(const RunOutcome& outcome, const RunOptions& options, const RunFilePaths& files,
                                    std::u16string_view commandLine);

}  // namespace halvorn
