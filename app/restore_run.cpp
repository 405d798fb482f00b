#include "app/restore_run.h"

#include <windows.h>

#include "app/process_log.h"
#include "app/restore_message.h"
#include "engine/backup_restore.h"
#include "engine/windows_backup_source.h"
#include "engine/windows_registry.h"
#include "res/resource.h"
#include "ui/resource_text.h"

namespace halvorn {

RunOutcome RunRestore(const std::u16string& arguments, bool silent) {
    WindowsRegistry registry;
    WindowsBackupSource backups;
    const RestoreResult result = BackupRestore(registry, ProcessLog(), backups).Run(arguments);
    if (!silent) {
        const bool whole = !result.refused && result.restoredCount == result.treeCount;
        MessageBoxW(nullptr, ToWide(RestoreMessage(result, ProcessLog().Path())).c_str(),
                    LoadResourceString(IDS_APP_TITLE).c_str(), MB_OK | (whole ? MB_ICONINFORMATION : MB_ICONERROR));
    }
    return {RunOutcome::End::Restored, {}, result};
}

}  // namespace halvorn
