#pragma once

#include <string>

#include "engine/repair/repair_counts.h"

namespace halvorn {

// The completion page's text for what a repair run came to. Only the found count decides whether
// anything was found; a run that could not delete everything it found says so in its first line,
// and a report-only run says that it deleted nothing. A run that failed (HKLM\SYSTEM, or with
// "Offline" a hive that it was asked for, could not be reached, or an error stopped it) says so
// whatever it found: counts of 0 then do not mean a sound registry.
std::u16string CompletionText(const RepairCounts& counts, bool reportOnly, bool offline);

}  // namespace halvorn
