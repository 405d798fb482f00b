// The entry point: the privilege test, the single-instance guard and the choice of run mode.
#include <windows.h>

#include <optional>
#include <string>

#include "app/current_user.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "app/system_repair.h"
#include "app/wizard_run.h"
#include "res/resource.h"
#include "ui/resource_text.h"

namespace {

using namespace halvorn;

void Start(const std::u16string& arguments) {
    const bool administrator = IsCurrentUserAdmin();
    // Refused users create no mutex, so any number of them can see the refusal at once.
    std::optional<SingleInstanceMutex> mutex;
    if (administrator) {
        mutex.emplace();
    }
    const MutexOutcome outcome = mutex && mutex->IsFirstInstance() ? MutexOutcome::Created
                                                                   : MutexOutcome::ExistedOrFailed;
    switch (DecideStartup(administrator, outcome, IsSilentCommandLine(arguments))) {
    case StartupAction::RefuseUser:
        MessageBoxW(nullptr, LoadResourceString(IDS_NOT_ADMIN).c_str(),
                    LoadResourceString(IDS_APP_TITLE).c_str(), MB_OK | MB_ICONEXCLAMATION);
        break;
    case StartupAction::ActivateOtherInstance:
        ActivateRunningInstance(LoadResourceString(IDS_APP_TITLE).c_str());
        break;
    case StartupAction::SilentRun:
        RunSystemRepair(arguments);
        break;
    case StartupAction::WizardRun:
        RunWizard(arguments);
        break;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    const std::wstring_view text = arguments != nullptr ? arguments : L"";
    try {
        Start(std::u16string(text.begin(), text.end()));
    } catch (...) {
        // Nothing is shown: a repair tool that runs unattended ends quietly, and its exit code is
        // 0 on every path.
    }
    return 0;
}
