#pragma once

#include <string>

#include "engine/repair_counts.h"

namespace halvorn {

// One repair run against the system registry, logged to the process's log. The silent run and
// the wizard's worker thread both come through here, so they give the engine the same text.
RepairCounts RunSystemRepair(const std::u16string& arguments);

}  // namespace halvorn
