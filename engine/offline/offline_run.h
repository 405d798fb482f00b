#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/offline/offline_platform.h"
#include "engine/repair/registry_cleaner.h"
#include "engine/repair/repair_counts.h"

namespace halvorn {

// One system hive that an offline run repairs.
struct OfflineHive {
    std::u16string keyName;           // where it is loaded, directly below HKEY_LOCAL_MACHINE
    std::u16string windowsDirectory;  // of the installation found, "D:\Windows"; empty for a hive
                                      // that the administrator loaded
};

// A hive that an offline run had loaded for its repair, and the copies of the run's files that its
// installation keeps; each empty where there is none.
struct RepairedHive {
    std::u16string windowsDirectory;  // "D:\Windows"; empty for a hive that the administrator loaded
    std::u16string hiveFile;          // its System32\config\SYSTEM
    std::u16string keyName;           // below HKEY_LOCAL_MACHINE
    std::u16string logCopy;
    std::u16string backupCopy;
};

// A repair of the system hives of Windows installations that are not running: the hive that the
// administrator has loaded ("Offline:NAME", left loaded), or every installation on the other
// local fixed drives, each loaded under a temporary key for its repair and unloaded after it
// ("Offline"). One log, one backup and one closing count for the whole run; an installation's
// Windows\Temp gets a copy of the log and the backup of its own trees.
class OfflineRun {
public:
    // backup: where the cleaner saves its trees, or null without a backup.
    OfflineRun(RegistryCleaner& cleaner, Registry& registry, RepairLog& log, BackupFile* backup,
               OfflinePlatform& platform);
    OfflineRun(const OfflineRun&) = delete;
    OfflineRun& operator=(const OfflineRun&) = delete;

    // The counts of every hive repaired, summed. Failed when the option named no hive to repair,
    // when no installation was found, and when any hive could not be loaded, opened or unloaded.
    RepairCounts Run(std::u16string_view commandLine, const RunOptions& options);

    // Every hive that the run had loaded, or that the administrator had, in the order repaired.
    const std::vector<RepairedHive>& Hives() const { return m_hives; }

private:
    bool RepairInstallations();
    bool RepairInstallation(const std::u16string& windowsDirectory);
    // The repair of one hive, loaded by now: every per-hive step of a run belongs here.
    bool RepairHive(const OfflineHive& hive);
    // The files beside the installation's copy of the log, in its Windows\Temp; null, with a log
    // line, where that folder or Windows itself is a link.
    RunFiles* CopyInto(const std::u16string& windowsDirectory);

    RegistryCleaner& m_cleaner;
    Registry& m_registry;
    RepairLog& m_log;
    BackupFile* m_backup;
    OfflinePlatform& m_platform;
    std::vector<RepairedHive> m_hives;
};

}  // namespace halvorn
