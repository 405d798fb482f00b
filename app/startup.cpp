#include "app/startup.h"

#include <algorithm>
#include <array>

#include "engine/ascii_case.h"
#include "log/text_format.h"

namespace halvorn {

namespace {

constexpr std::uint32_t kWin32WindowsPlatform = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr std::u16string_view kSilentSwitch = u"/noui";
constexpr std::array<std::u16string_view, 7> kKnownOptions = {
    kSilentSwitch.substr(1), kOverrideOption, kReportOption, kNoBackupOption, kExitCodeOption, kOfflineOption,
    kRestoreOption};
constexpr std::array<std::u16string_view, 2> kHelpOptions = {u"?", u"help"};
// Enough for any switch that the tool knows, mistyped, and short enough for a message box.
constexpr std::size_t kMaxShownSwitch = 100;

bool IsOneOf(const auto& names, const Option& option) {
    return std::any_of(names.begin(), names.end(),
                       [&option](std::u16string_view name) { return EqualsIgnoringAsciiCase(option.name, name); });
}

}  // namespace

bool IsSilentCommandLine(std::u16string_view arguments) {
    for (std::size_t at = 0; at + kSilentSwitch.size() <= arguments.size(); ++at) {
        if (StartsWithIgnoringAsciiCase(arguments.substr(at), kSilentSwitch)) {
            return true;
        }
    }
    return false;
}

CommandLineRequest ReadCommandLine(std::u16string_view commandLine) {
    const std::u16string optionText = OptionTextOf(commandLine);
    OptionList options;
    options.Parse(optionText);
    CommandLineRequest request{CommandLineRequest::Kind::Run, {}, IsSilentCommandLine(optionText),
                               ReadRunOptions(commandLine)};
    const auto unknown = std::find_if(options.begin(), options.end(),
                                      [](const Option& option) { return !IsOneOf(kKnownOptions, option); });
    const auto help = std::find_if(options.begin(), options.end(),
                                   [](const Option& option) { return IsOneOf(kHelpOptions, option); });
    if (help != options.end()) {
        request.kind = CommandLineRequest::Kind::Help;
    } else if (unknown != options.end()) {
        request.kind = CommandLineRequest::Kind::UnknownSwitch;
        request.unknownSwitch = unknown->switchCharacter + unknown->name;
    }
    return request;
}

std::u16string UnknownSwitchText(std::u16string_view typedSwitch) {
    return FormatText(
        u"Unknown switch \"%s\": nothing was changed. Start the tool with /? for the switches that it knows.",
        {PrintableText(typedSwitch, kMaxShownSwitch)});
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
