#include "app/system_repair.h"

#include "app/process_log.h"
#include "engine/backup_file.h"
#include "engine/offline_run.h"
#include "engine/registry_cleaner.h"
#include "engine/windows_offline_platform.h"
#include "engine/windows_registry.h"

namespace halvorn {

RepairCounts RunSystemRepair(const std::u16string& arguments) {
    WindowsRegistry registry;
    // Beside the log, so that whoever collects the logs collects the backups with them.
    BackupFile backup(ProcessLog().Files());
    RegistryCleaner cleaner(registry, ProcessLog(), &backup);
    if (ReadRunOptions(arguments).offline.target != OfflineTarget::None) {
        WindowsOfflinePlatform offline;
        return OfflineRun(cleaner, registry, ProcessLog(), &backup, offline).Run(arguments);
    }
    cleaner.Run(arguments);
    return {cleaner.invalidCount, cleaner.deletedCount, !cleaner.systemKeyOpened};
}

}  // namespace halvorn
