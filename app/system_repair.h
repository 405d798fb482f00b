#pragma once

#include <cstdint>
#include <string>

namespace halvorn {

// What one repair run found and deleted.
struct RepairCounts {
    std::int32_t invalidCount = 0;
    std::int32_t deletedCount = 0;
};

// One repair run against the system registry, logged to the process's log, with every deleted
// tree saved first to the backup file beside the log (unless the options say otherwise). The
// silent run and the wizard's worker thread both come through here, so they give the engine the
// same text and both get the backup.
RepairCounts RunSystemRepair(const std::u16string& arguments);

}  // namespace halvorn
