#include "engine/offline/offline_installations.h"

#include "engine/registry/ascii_case.h"

namespace halvorn {

namespace {

constexpr std::u16string_view kTemporaryKeyBase = u"HalvornOffline";
constexpr int kTemporaryKeyChoices = 9;

std::u16string_view WithoutTrailingSeparator(std::u16string_view path) {
    while (!path.empty() && path.back() == u'\\') {
        path.remove_suffix(1);
    }
    return path;
}

}  // namespace

std::u16string SystemHiveFile(std::u16string_view windowsDirectory) {
    return std::u16string(WithoutTrailingSeparator(windowsDirectory)) + u"\\System32\\config\\SYSTEM";
}

std::vector<std::u16string> FindOfflineInstallations(OfflinePlatform& platform) {
    // Windows spells its paths in any case: "C:\WINDOWS" is the running one as much as "c:\Windows".
    // A subst drive, or a second letter of the system volume, reaches it under another name: the
    // folder's identity tells it, and loading its hive, which is in use, would fail the run.
    const std::u16string running(WithoutTrailingSeparator(platform.WindowsDirectory()));
    const std::optional<FileIdentity> runningIdentity = platform.Identity(running);
    std::vector<std::u16string> installations;
    for (const std::u16string& drive : platform.FixedDrives()) {
        const std::u16string windows = std::u16string(WithoutTrailingSeparator(drive)) + u"\\Windows";
        const bool isRunning = EqualsIgnoringAsciiCase(windows, running) ||
                               (runningIdentity && platform.Identity(windows) == runningIdentity);
        if (!isRunning && platform.IsFile(SystemHiveFile(windows))) {
            installations.push_back(windows);
        }
    }
    return installations;
}

std::optional<std::u16string> ChooseTemporaryHiveKey(Registry& registry, std::u16string_view windowsDirectory) {
    std::u16string base(kTemporaryKeyBase);
    const char16_t drive = windowsDirectory.empty() ? u'\0' : UpperAsciiCase(windowsDirectory.front());
    if (drive >= u'A' && drive <= u'Z') {
        base += drive;
    }
    for (int choice = 1; choice <= kTemporaryKeyChoices; ++choice) {
        const std::u16string name = choice == 1 ? base : base + u'_' + static_cast<char16_t>(u'0' + choice);
        if (OpenedKey(registry, registry.LocalMachine(), name.c_str()).Status() == kRegistryFileNotFound) {
            return name;
        }
    }
    return std::nullopt;
}

}  // namespace halvorn
