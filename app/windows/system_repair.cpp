#include "app/windows/system_repair.h"

#include "app/windows/process_log.h"
#include "app/windows/process_result.h"
#include "engine/backup/backup_file.h"
#include "engine/offline/offline_run.h"
#include "engine/repair/registry_cleaner.h"
#include "engine/offline/windows_offline_platform.h"
#include "engine/registry/windows_registry.h"
#include "log/windows_backup_records.h"

namespace halvorn {

RepairCounts RunSystemRepair(const RunOptions& options, const std::u16string& arguments) {
    WindowsRegistry registry;
    // The running Windows' record, for as long as the process's log: an offline installation's copy
    // of the backup gets none.
    static WindowsBackupRecords records;
    ProcessLog().Files().RecordBackupIn(&records);
    // Beside the log, so that whoever collects the logs collects the backups with them.
    BackupFile backup(ProcessLog().Files());
    RegistryCleaner cleaner(registry, ProcessLog(), &backup);
    RunResult& result = ProcessResult();
    if (options.offline.target != OfflineTarget::None) {
        WindowsOfflinePlatform offline;
        OfflineRun run(cleaner, registry, ProcessLog(), &backup, offline);
        const RepairCounts counts = run.Run(arguments, options);
        result.keys = cleaner.foundKeys;
        for (const RepairedHive& hive : run.Hives()) {
            result.installations.push_back(
                {hive.windowsDirectory, hive.hiveFile, u"HKLM\\" + hive.keyName, {hive.logCopy, hive.backupCopy}});
        }
        return counts;
    }
    cleaner.Run(arguments, options);
    result.keys = cleaner.foundKeys;
    return {cleaner.invalidCount, cleaner.deletedCount, !cleaner.systemKeyOpened};
}

}  // namespace halvorn
