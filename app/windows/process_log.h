#pragma once

#include "app/run_event.h"
#include "log/repair_log.h"

namespace halvorn {

// The process's one log, created during static initialisation so that its name carries the time
// the process started.
RepairLog& ProcessLog();

// The folder of this process's files with its trailing separator: the temporary folder, or the one
// that the command line chose; empty where neither is known.
std::u16string RunFolder();

// The files that this process has written so far: its log, and its backup where it holds a tree.
RunFilePaths WrittenFiles();

}  // namespace halvorn
