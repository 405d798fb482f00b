#include "engine/offline/offline_run.h"

#include <optional>
#include <vector>

#include "engine/offline/loaded_hive.h"
#include "engine/offline/offline_installations.h"

namespace halvorn {

namespace {

constexpr std::u16string_view kUnreadableLine =
    u"Offline: nothing was repaired: give the option once, alone or with the key name below HKLM at "
    u"which the hive is loaded (one name, without \\ / - : or ,).";
constexpr std::u16string_view kRunningWindowsHiveLine =
    u"Offline: HKLM\\%s is a hive of the running Windows: nothing was repaired.";
constexpr std::u16string_view kNotOpenedLine = u"Offline: HKLM\\%s could not be opened.";
constexpr std::u16string_view kNoPrivilegesLine =
    u"Offline: SeBackupPrivilege and SeRestorePrivilege could not be enabled: no hive was loaded.";
constexpr std::u16string_view kNoneFoundLine =
    u"Offline: no Windows installation found on the local fixed drives other than the running one.";
constexpr std::u16string_view kLoadedLine = u"Offline: %s, its hive %s loaded at HKLM\\%s.";
constexpr std::u16string_view kNoFreeKeyLine = u"Offline: %s: no free key below HKLM to load its hive at.";
constexpr std::u16string_view kNotLoadableLine = u"Offline: %s: its hive %s could not be loaded (error %d).";
constexpr std::u16string_view kLinkedFolderLine =
    u"Offline: %s is a link: no copy of the log or the backup is written below it.";

}  // namespace

OfflineRun::OfflineRun(RegistryCleaner& cleaner, Registry& registry, RepairLog& log, BackupFile* backup,
                       OfflinePlatform& platform)
    : m_cleaner(cleaner), m_registry(registry), m_log(log), m_backup(backup), m_platform(platform) {}

RepairCounts OfflineRun::Run(std::u16string_view commandLine, const RunOptions& options) {
    m_cleaner.Begin(commandLine, options);
    const OfflineRequest& request = options.offline;
    bool repaired = false;
    switch (request.target) {
    case OfflineTarget::NamedHive:
        repaired = RepairHive({request.hiveKey, {}});
        break;
    case OfflineTarget::Search:
        repaired = RepairInstallations();
        break;
    case OfflineTarget::RunningWindowsHive:
        m_log.WriteLine(kRunningWindowsHiveLine, request.hiveKey);
        break;
    case OfflineTarget::None:
    case OfflineTarget::Unreadable:
        m_log.WriteLine(kUnreadableLine);
        break;
    }
    m_cleaner.End();
    return {m_cleaner.invalidCount, m_cleaner.deletedCount, !repaired};
}

bool OfflineRun::RepairInstallations() {
    if (!m_platform.EnableHivePrivileges()) {
        m_log.WriteLine(kNoPrivilegesLine);
        return false;
    }
    const std::vector<std::u16string> installations = FindOfflineInstallations(m_platform);
    if (installations.empty()) {
        m_log.WriteLine(kNoneFoundLine);
        return false;
    }
    bool repairedAll = true;
    for (const std::u16string& windowsDirectory : installations) {
        // One installation that fails does not keep the others from their repair.
        repairedAll = RepairInstallation(windowsDirectory) && repairedAll;
    }
    return repairedAll;
}

bool OfflineRun::RepairInstallation(const std::u16string& windowsDirectory) {
    const std::u16string file = SystemHiveFile(windowsDirectory);
    const std::optional<std::u16string> keyName = ChooseTemporaryHiveKey(m_registry, windowsDirectory);
    if (!keyName) {
        m_log.WriteLine(kNoFreeKeyLine, windowsDirectory);
        return false;
    }
    LoadedHive hive(m_platform, *keyName, file, &m_log);
    if (!hive) {
        m_log.WriteLine(kNotLoadableLine, windowsDirectory, file, hive.LoadStatus());
        return false;
    }
    m_log.WriteLine(kLoadedLine, windowsDirectory, file, *keyName);
    // The repair has closed every key it opened by the time it returns, so the hive can go.
    const bool repaired = RepairHive({*keyName, windowsDirectory});
    return hive.Unload() && repaired;
}

RunFiles* OfflineRun::CopyInto(const std::u16string& windowsDirectory) {
    // On a disk from elsewhere either folder can be a junction into the running Windows' System32,
    // where this elevated run would otherwise create its files.
    const std::u16string temporary = windowsDirectory + u"\\Temp";
    for (const std::u16string& folder : {windowsDirectory, temporary}) {
        if (m_platform.IsReparsePoint(folder)) {
            m_log.WriteLine(kLinkedFolderLine, folder);
            return nullptr;
        }
    }
    return &m_log.CopyInto(temporary + u"\\");
}

bool OfflineRun::RepairHive(const OfflineHive& hive) {
    // An installation keeps its files in its own Windows\Temp too: a Windows PE's temporary folder
    // lies on a RAM disk that the restart into the repaired Windows loses.
    RunFiles* copy = hive.windowsDirectory.empty() ? nullptr : CopyInto(hive.windowsDirectory);
    if (m_backup != nullptr) {
        m_backup->CopyTo(copy);
    }
    const bool opened = m_cleaner.RepairHive(hive.keyName);
    if (m_backup != nullptr) {
        m_backup->CopyTo(nullptr);
    }
    if (!opened) {
        m_log.WriteLine(kNotOpenedLine, hive.keyName);
    }
    RepairedHive& repaired = m_hives.emplace_back(
        RepairedHive{hive.windowsDirectory, hive.windowsDirectory.empty() ? u"" : SystemHiveFile(hive.windowsDirectory),
                     hive.keyName, {}, {}});
    if (copy != nullptr) {
        repaired.logCopy = copy->LogText().empty() ? u"" : copy->LogPath();
        repaired.backupCopy = copy->HasBackup() ? copy->BackupPath() : u"";
    }
    return opened;
}

}  // namespace halvorn
