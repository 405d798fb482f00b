#pragma once

#include "log/repair_log.h"

namespace halvorn {

// The process's one log, created during static initialisation so that its name carries the time
// the process started.
RepairLog& ProcessLog();

}  // namespace halvorn
