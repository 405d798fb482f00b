#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/backup/reg_file_reader.h"

namespace halvorn {

// One tree that a repair deleted: the invalid key and the keys below it that the backup lists, in
// the file's order, each with its path relative to the key that held the invalid one.
struct RestoreTree {
    std::u16string parentPath;  // below the hive key: "ControlSet001\Services\HalvornGuard"
    std::vector<RegFileKey> keys;
};

// What reading a backup's trees came to: the first line that is not what the tool writes, or
// whose key no repair could have deleted, and why; or the trees that the whole file holds.
struct RestorePlan {
    std::u16string hiveKey;  // the key below HKLM that every key line names: SYSTEM, or where a hive was loaded
    std::int32_t treeCount = 0;
    std::size_t faultLine = 0;  // 0 when every line was read and every key lies in a tree
    std::u16string_view fault;
};

// Reads the backup's bytes and hands each tree to take as soon as the file's next tree begins,
// so that only one tree is held at a time. Every key must lie at or below a key whose own name
// begins with the invalid prefix, below a selected key of the Services, Enum or Control key of a
// control set, all in one hive: a repair, with "Override" too, deletes nothing else. At a fault
// the trees handed over so far stand, and no further one is.
RestorePlan ReadRestoreTrees(std::string_view bytes, const std::function<void(const RestoreTree&)>& take);

}  // namespace halvorn
