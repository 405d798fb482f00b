#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/reg_file_reader.h"

namespace halvorn {

// One tree that a repair deleted: the invalid key and the keys below it that the backup lists, in
// the file's order, each with its path relative to the key that held the invalid one.
struct RestoreTree {
    std::u16string parentPath;  // below the hive key: "ControlSet001\Services\HalvornGuard"
    std::vector<RegFileKey> keys;
};

// A backup's keys grouped into the trees that a repair deletes, or the first key that no repair
// could have deleted.
struct RestorePlan {
    std::u16string hiveKey;  // the key below HKLM that every key line names: SYSTEM, or where a hive was loaded
    std::vector<RestoreTree> trees;
    std::size_t faultLine = 0;  // 0 when every key lies in a tree
    std::u16string_view fault;
};

// Every key must lie at or below a key whose own name begins with the invalid prefix, below a
// selected key of the Services, Enum or Control key of a control set, all in one hive: a repair,
// with "Override" too, deletes nothing else.
RestorePlan PlanRestore(std::vector<RegFileKey> keys);

}  // namespace halvorn
