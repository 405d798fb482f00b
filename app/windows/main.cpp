// The entry point: the command line's judgement, the privilege test, the single-instance guard, the
// choice of run mode, and the run's event.
#include <windows.h>

#include <optional>
#include <string>

#include "app/windows/current_user.h"
#include "app/windows/event_log.h"
#include "app/exit_code.h"
#include "app/windows/process_log.h"
#include "app/windows/process_result.h"
#include "app/windows/restore_run.h"
#include "app/run_event.h"
#include "app/windows/single_instance.h"
#include "app/windows/standard_output.h"
#include "app/startup.h"
#include "app/windows/system_repair.h"
#include "app/windows/wizard_run.h"
#include "res/resource.h"
#include "ui/resource_text.h"
#include "log/windows_log_folder.h"
#include "log/windows_private_file.h"
#include "log/windows_text.h"

namespace {

using namespace halvorn;

RunOutcome Start(const std::u16string& arguments, const CommandLineRequest& request) {
    const bool silent = request.silent;
    const RunOptions& options = request.options;
    const bool administrator = IsCurrentUserAdmin();
    // Refused users create no mutex, so any number of them can see the refusal at once.
    std::optional<SingleInstanceMutex> mutex;
    if (administrator) {
        mutex.emplace();
    }
    const MutexOutcome mutexOutcome = mutex && mutex->IsFirstInstance() ? MutexOutcome::Created
                                                                        : MutexOutcome::ExistedOrFailed;
    switch (DecideStartup(administrator, mutexOutcome, silent)) {
    case StartupAction::RefuseUser:
        // An unattended run that reads its outcome from the exit code has nobody to close a box.
        if (!(silent && options.exitCode)) {
            MessageBoxW(nullptr, LoadResourceString(IDS_NOT_ADMIN).c_str(),
                        LoadResourceString(IDS_APP_TITLE).c_str(), MB_OK | MB_ICONEXCLAMATION);
        }
        return {RunOutcome::End::Refused, {}};
    case StartupAction::ActivateOtherInstance:
        ActivateRunningInstance(LoadResourceString(IDS_APP_TITLE).c_str());
        return {RunOutcome::End::AnotherCopyRunning, {}};
    case StartupAction::SilentRun:
        if (options.restore.target != RestoreTarget::None) {
            return RunRestore(options, true);
        }
        return {RunOutcome::End::Repaired, RunSystemRepair(options, arguments)};
    case StartupAction::WizardRun:
        if (options.restore.target != RestoreTarget::None) {
            return RunRestore(options, false);  // a message box, not the wizard
        }
        return RunWizard(options, arguments);
    }
    return {};
}

// A silent start may run in session 0, where nobody can close a box and the deployment would hang.
RunOutcome ShowHelp(bool silent) {
    if (silent) {
        WriteStandardOutput(FromWide(LoadResourceString(IDS_HELP)));
    } else {
        MessageBoxW(nullptr, LoadResourceString(IDS_HELP).c_str(), LoadResourceString(IDS_APP_TITLE).c_str(),
                    MB_OK | MB_ICONINFORMATION);
    }
    return {RunOutcome::End::Help};
}

RunOutcome RefuseSwitch(const CommandLineRequest& request) {
    if (request.silent) {
        ProcessLog().WriteLine(u"%s", request.refusal);
    } else {
        MessageBoxW(nullptr, ToWide(request.refusal).c_str(), LoadResourceString(IDS_APP_TITLE).c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
    }
    return {RunOutcome::End::UnknownSwitch, {}, {}, request.refusal};
}

// A log folder that the command line names takes the run's files, from their first line on, only
// where no other account can have planted or swapped a file there; otherwise nothing runs.
void ChooseLogFolder(CommandLineRequest& request) {
    const std::u16string& folder = request.options.logFolder;
    if (request.kind != CommandLineRequest::Kind::Run || folder.empty()) {
        return;
    }
    const std::u16string why = WhyNotALogFolderAt(folder, PrivateFileOpener().RunningAccount());
    if (!why.empty()) {
        request.kind = CommandLineRequest::Kind::UnknownSwitch;
        request.refusal = RefusedLogFolderText(folder, why);
        return;
    }
    ProcessLog().MoveInto(folder.back() == u'\\' || folder.back() == u'/' ? folder : folder + u'\\');
}

// The command line first: help and a refused switch need no rights and change nothing.
RunOutcome Answer(const std::u16string& arguments, const CommandLineRequest& request) {
    switch (request.kind) {
    case CommandLineRequest::Kind::Help:
        return ShowHelp(request.silent);
    case CommandLineRequest::Kind::UnknownSwitch:
        return RefuseSwitch(request);
    case CommandLineRequest::Kind::Run:
        return Start(arguments, request);
    }
    return {};
}

// An event that cannot be made or written leaves the outcome and the exit code as they are.
void RecordRun(const RunOutcome& outcome, const RunOptions& options, std::wstring_view arguments) noexcept {
    try {
        if (const std::optional<RunEvent> event =
                RunEventFor(outcome, options, WrittenFiles(), FromWide(arguments))) {
            WriteRunEvent(*event);
        }
    } catch (...) {
        // Nothing is shown, as for a failed run.
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    const std::wstring_view text = arguments != nullptr ? arguments : L"";
    RunOptions options;
    RunOutcome outcome;
    try {
        const std::u16string argumentString = FromWide(text);
        BeginProcessResult(argumentString);
        CommandLineRequest request = ReadCommandLine(argumentString);
        ChooseLogFolder(request);
        options = request.options;
        outcome = Answer(argumentString, request);
    } catch (...) {
        // Nothing is shown: a repair tool that runs unattended ends quietly, as a failure.
    }
    RecordRun(outcome, options, text);
    try {
        return EndProcessResult(outcome, options);
    } catch (...) {
        // Without memory for the result it is lost, and the code says so where one was asked for.
        const int code = ExitCodeFor(outcome, options);
        return options.resultFile.empty() ? code : ExitCodeWithLostResult(code);
    }
}
