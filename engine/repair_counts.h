#pragma once

#include <cstdint>

namespace halvorn {

// What one repair run found and deleted.
struct RepairCounts {
    std::int32_t invalidCount = 0;
    std::int32_t deletedCount = 0;
};

}  // namespace halvorn
