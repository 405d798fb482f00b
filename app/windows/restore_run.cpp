#include "app/windows/restore_run.h"

#include <windows.h>

#include "app/windows/process_log.h"
#include "app/windows/process_result.h"
#include "app/restore_message.h"
#include "engine/restore/backup_restore.h"
#include "engine/restore/windows_backup_source.h"
#include "engine/registry/windows_registry.h"
#include "log/windows_backup_records.h"
#include "res/resource.h"
#include "ui/resource_text.h"

namespace halvorn {

RunOutcome RunRestore(const RunOptions& options, bool silent) {
    WindowsRegistry registry;
    WindowsBackupSource backups(RunFolder());
    WindowsBackupRecords records;
    BackupRestore restore(registry, ProcessLog(), backups, records);
    const RestoreResult result = restore.Run(options);
    ProcessResult().trees = restore.Trees();
    if (!silent) {
        const bool whole = !result.refused && result.restoredCount == result.treeCount;
        MessageBoxW(nullptr, ToWide(RestoreMessage(result, ProcessLog().Path())).c_str(),
                    LoadResourceString(IDS_APP_TITLE).c_str(), MB_OK | (whole ? MB_ICONINFORMATION : MB_ICONERROR));
    }
    return {RunOutcome::End::Restored, {}, result};
}

}  // namespace halvorn
