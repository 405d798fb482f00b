#pragma once

#include <string>

#include "engine/options/run_options.h"
#include "engine/repair/repair_counts.h"

namespace halvorn {

// One repair run against the system registry, logged to the process's log, with every deleted
// tree saved first to the backup file beside the log (unless the options say otherwise): of the
// running Windows' HKLM\SYSTEM, or with "Offline" of other installations' system hives, whose
// counts it sums. The silent run and the wizard's worker thread both come through here, so they
// give the engine the same text and both get the backup.
RepairCounts RunSystemRepair(const RunOptions& options, const std::u16string& arguments);

}  // namespace halvorn
