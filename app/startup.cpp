#include "app/startup.h"

#include <algorithm>

#include "engine/registry/ascii_case.h"
#include "log/text_format.h"

namespace halvorn {

namespace {

constexpr std::uint32_t kWin32WindowsPlatform = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr std::u16string_view kSilentSwitch = u"/noui";
// Enough for any switch that the tool knows, mistyped, and short enough for a message box.
constexpr std::size_t kMaxShownSwitch = 100;
constexpr std::size_t kMaxShownPath = 260;

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
    CommandLineReading reading = ReadCommandLineArguments(commandLine);
    CommandLineRequest request{CommandLineRequest::Kind::Run, {}, {},
                               IsSilentCommandLine(TextWithoutBackupPath(commandLine)), reading.options};
    if (reading.help) {
        request.kind = CommandLineRequest::Kind::Help;  // whatever the other arguments say
    } else if (reading.refusedArgument) {
        request.kind = CommandLineRequest::Kind::UnknownSwitch;
        request.unknownSwitch = std::move(*reading.refusedArgument);
        request.refusal = reading.refusedBecause.empty()
                              ? UnknownSwitchText(request.unknownSwitch)
                              : RefusedSwitchText(request.unknownSwitch, reading.refusedBecause);
    }
    return request;
}

std::u16string UnknownSwitchText(std::u16string_view typedArgument) {
    // Log readers know the line of a mistyped switch: it stays as it was.
    if (IsSwitchToken(typedArgument)) {
        return FormatText(
            u"Unknown switch \"%s\": nothing was changed. Start the tool with /? for the switches that it knows.",
            {PrintableText(typedArgument, kMaxShownSwitch)});
    }
    return FormatText(u"Unknown argument \"%s\": nothing was changed. Each argument must be a switch that the tool "
                      u"knows, or the backup's path after /Restore: start the tool with /? for the switches.",
                      {PrintableText(typedArgument, kMaxShownSwitch)});
}

std::u16string RefusedSwitchText(std::u16string_view typedSwitch, std::u16string_view because) {
    return FormatText(u"The switch \"%s\" cannot be read: %s. Nothing was changed.",
                      {PrintableText(typedSwitch, kMaxShownSwitch), because});
}

std::u16string RefusedLogFolderText(std::u16string_view folder, std::u16string_view why) {
    return FormatText(u"The log folder \"%s\" cannot take the run's files: %s. Nothing was changed.",
                      {PrintableText(folder, kMaxShownPath), why});
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
