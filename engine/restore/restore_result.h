#pragma once

#include <cstdint>
#include <string>

namespace halvorn {

// One tree of a backup that a restore read.
struct RestoredTree {
    std::u16string path;  // in full: "HKLM\SYSTEM\ControlSet001\Services\..."
    bool restored = false;
    std::u16string why{};  // where it was not restored whole: the log's line for it

    bool operator==(const RestoredTree&) const = default;
};

// What one restore of a backup came to.
struct RestoreResult {
    std::u16string backupPath{};  // the file read; empty when no backup was found
    std::int32_t treeCount = 0;      // the trees that the file holds
    std::int32_t restoredCount = 0;  // the trees written back whole
    // The file was refused as a whole, or none was found: nothing was written. refusal says why.
    bool refused = false;
    std::u16string refusal{};

    bool operator==(const RestoreResult&) const = default;
};

}  // namespace halvorn
