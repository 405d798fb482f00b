#include "app/startup.h"

#include <algorithm>

#include "engine/ascii_case.h"

namespace halvorn {

namespace {

constexpr std::uint32_t kWin32WindowsPlatform = 1;  // VER_PLATFORM_WIN32_WINDOWS

}  // namespace

bool IsSilentCommandLine(std::u16string_view arguments) {
    constexpr std::u16string_view kSwitch = u"/noui";
    for (std::size_t at = 0; at + kSwitch.size() <= arguments.size(); ++at) {
        if (StartsWithIgnoringAsciiCase(arguments.substr(at), kSwitch)) {
            return true;
        }
    }
    return false;
}

bool IsAdministrator(AdminQueries& queries) {
    if (queries.PlatformId() == kWin32WindowsPlatform) {
        return true;
    }
    const std::optional<std::vector<SecurityId>> groups = queries.TokenGroups();
    return groups && std::find(groups->begin(), groups->end(), AdministratorsAlias()) != groups->end();
}

StartupAction DecideStartup(bool administrator, MutexOutcome mutex, bool silent) {
    if (!administrator) {
        return StartupAction::RefuseUser;
    }
    if (mutex == MutexOutcome::ExistedOrFailed) {
        return StartupAction::ActivateOtherInstance;
    }
    return silent ? StartupAction::SilentRun : StartupAction::WizardRun;
}

}  // namespace halvorn
