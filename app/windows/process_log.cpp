#include "app/windows/process_log.h"

#include "log/windows_log_platform.h"

namespace halvorn {

namespace {

// Defined together so that the platform exists before the log that uses it.
WindowsLogPlatform g_logPlatform;
RepairLog g_processLog(g_logPlatform);

}  // namespace

RepairLog& ProcessLog() { return g_processLog; }

}  // namespace halvorn
