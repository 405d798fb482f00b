#pragma once

#include <string>

#include "app/exit_code.h"

namespace halvorn {

// Restores the backup that the options ask for into the system registry, logged to the process's
// log; a run that may show windows tells the outcome in a message box.
RunOutcome RunRestore(const RunOptions& options, bool silent);

}  // namespace halvorn
