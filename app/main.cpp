// The entry point: the privilege test, the single-instance guard and the choice of run mode.
#include <windows.h>

#include <optional>
#include <string>

#include "app/current_user.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "app/system_repair.h"
#include "res/resource.h"

namespace {

using namespace halvorn;

std::wstring LoadResourceString(HINSTANCE instance, UINT id) {
    const wchar_t* text = nullptr;
    // A zero buffer size asks for a read-only pointer into the resource itself.
    const int length = LoadStringW(instance, id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

void Start(HINSTANCE instance, const std::u16string& arguments) {
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
        MessageBoxW(nullptr, LoadResourceString(instance, IDS_NOT_ADMIN).c_str(),
                    LoadResourceString(instance, IDS_APP_TITLE).c_str(), MB_OK | MB_ICONEXCLAMATION);
        break;
    case StartupAction::ActivateOtherInstance:
        ActivateRunningInstance(LoadResourceString(instance, IDS_APP_TITLE).c_str());
        break;
    case StartupAction::SilentRun:
        RunSystemRepair(arguments);
        break;
    case StartupAction::WizardRun:
        break;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    const std::wstring_view text = arguments != nullptr ? arguments : L"";
    try {
        Start(instance, std::u16string(text.begin(), text.end()));
    } catch (...) {
        // Nothing is shown: a repair tool that runs unattended ends quietly, and its exit code is
        // 0 on every path.
    }
    return 0;
}
