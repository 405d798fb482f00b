#include "app/windows/process_log.h"

#include "log/windows_log_platform.h"

namespace halvorn {

namespace {

// Defined together so that the platform exists before the log that uses it.
WindowsLogPlatform g_logPlatform;
RepairLog g_processLog(g_logPlatform);

}  // namespace

RepairLog& ProcessLog() { return g_processLog; }

std::u16string RunFolder() {
    const std::u16string& log = g_processLog.Path();
    return log.substr(0, log.find_last_of(u'\\') + 1);  // all of it, or nothing without a separator
}

RunFilePaths WrittenFiles() {
    const RunFiles& files = g_processLog.Files();
    return {files.LogText().empty() ? std::u16string() : files.LogPath(),
            files.HasBackup() ? files.BackupPath() : std::u16string()};
}

}  // namespace halvorn
