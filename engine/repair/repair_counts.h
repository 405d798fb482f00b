#pragma once

#include <cstdint>

namespace halvorn {

// What one repair run found and deleted.
struct RepairCounts {
    std::int32_t invalidCount = 0;
    std::int32_t deletedCount = 0;
    // The run could not look at the registry (HKLM\SYSTEM would not open) or stopped on an error,
    // so counts of 0 do not mean that nothing is left to repair.
    bool failed = false;
};

}  // namespace halvorn
