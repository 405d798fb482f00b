#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/options/run_options.h"
#include "log/security_id.h"

// The start-up decisions: plain logic over the answers that the platform gives.
namespace halvorn {

// True when the argument string asks for the silent run: "/noui" anywhere, in any ASCII case,
// glued to other text or not.
bool IsSilentCommandLine(std::u16string_view arguments);

// What a command line starts. It is judged before the administrator test and the single-instance
// mutex: help and a refused switch need no rights and change nothing.
struct CommandLineRequest {
    enum class Kind {
        Run,            // a repair, a report or a restore, as the options say
        Help,           // "?" or "help" among the options, whatever the others say
        UnknownSwitch,  // an argument that is no switch that the tool knows: nothing runs
    };
    Kind kind = Kind::Run;
    std::u16string unknownSwitch{};  // with UnknownSwitch: the first refused argument, as typed
    std::u16string refusal{};        // with UnknownSwitch: the log line and the window's text
    bool silent = false;             // as IsSilentCommandLine reads TextWithoutBackupPath(commandLine)
    RunOptions options{};
};

// Judges every argument as Windows splits the command line: each must be a switch that the tool
// knows, or the backup's path after "/Restore" (ReadCommandLineArguments).
CommandLineRequest ReadCommandLine(std::u16string_view commandLine);

// The log line and the window's text for a refused argument: it names the argument, says whether it
// was a switch at all, and points at "/?".
std::u16string UnknownSwitchText(std::u16string_view typedArgument);

// The same for a switch that the tool knows but cannot read as it is given, and why.
std::u16string RefusedSwitchText(std::u16string_view typedSwitch, std::u16string_view because);

// The refusal of a log folder that may not take the run's files: it names the folder and why.
std::u16string RefusedLogFolderText(std::u16string_view folder, std::u16string_view why);

// What the administrator test needs to know about the caller.
class AdminQueries {
public:
    virtual ~AdminQueries() = default;
    // The operating system's platform identifier; 0 when it cannot be read.
    virtual std::uint32_t PlatformId() = 0;
    // The groups of the caller's token, or nothing when the token or its groups cannot be read.
    virtual std::optional<std::vector<SecurityId>> TokenGroups() = 0;
};

// The caller counts as an administrator on the Windows 9x platform (identifier 1), where there is
// no token, and elsewhere when its token lists the Administrators alias at all: a disabled or
// deny-only entry counts too.
bool IsAdministrator(AdminQueries& queries);

enum class StartupAction {
    RefuseUser,             // not an administrator: message box
    ActivateOtherInstance,  // the single-instance mutex existed or failed
    SilentRun,
    WizardRun,
};

enum class MutexOutcome { Created, ExistedOrFailed };

StartupAction DecideStartup(bool administrator, MutexOutcome mutex, bool silent);

}  // namespace halvorn
