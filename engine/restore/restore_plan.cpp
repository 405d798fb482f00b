#include "engine/restore/restore_plan.h"

#include <optional>

#include "engine/repair/repair_scope.h"

namespace halvorn {

namespace {

constexpr std::u16string_view kOutsideRepair = u"a key outside the trees that a repair deletes";
constexpr std::u16string_view kSecondHive =
    u"a key in a second hive: restore each installation from the backup in its own Windows\\Temp";

// The hive key, control set, root and selected key come before the first name that can be invalid.
constexpr std::size_t kFirstTestedLevel = 4;

// Where the invalid key's name ends in path, or npos when path is not in a tree that a repair deletes.
std::size_t TreeRootEnd(std::u16string_view path) {
    std::size_t level = 0;
    for (std::size_t start = 0; start <= path.size(); ++level) {
        const std::size_t end = std::min(path.find(u'\\', start), path.size());
        const std::u16string_view name = path.substr(start, end - start);
        if ((level == 1 && !IsControlSetName(name)) || (level == 2 && !IsRepairRootName(name))) {
            return std::u16string_view::npos;
        }
        if (level >= kFirstTestedLevel && name.starts_with(InvalidKeyPrefix)) {
            return end;
        }
        start = end + 1;
    }
    return std::u16string_view::npos;
}

}  // namespace

RestorePlan ReadRestoreTrees(std::string_view bytes, const std::function<void(const RestoreTree&)>& take) {
    RestorePlan plan;
    RegFileReader reader(bytes);
    std::optional<RestoreTree> tree;
    std::u16string treeRoot;  // below the hive key, of the tree being filled
    RegFileKey key;
    while (reader.Next(key)) {
        const std::u16string_view path = key.path;
        const std::size_t hiveEnd = path.find(u'\\');
        const std::size_t rootEnd = TreeRootEnd(path);
        if (rootEnd == std::u16string_view::npos) {
            return {{}, plan.treeCount, key.line, kOutsideRepair};
        }
        const std::u16string_view hiveKey = path.substr(0, hiveEnd);
        if (plan.treeCount == 0) {
            plan.hiveKey = hiveKey;
        } else if (!EqualsIgnoringAsciiCase(hiveKey, plan.hiveKey)) {
            return {{}, plan.treeCount, key.line, kSecondHive};
        }
        const std::u16string_view root = path.substr(hiveEnd + 1, rootEnd - hiveEnd - 1);
        if (plan.treeCount == 0 || !EqualsIgnoringAsciiCase(root, treeRoot)) {
            if (tree) {
                take(*tree);
            }
            treeRoot = root;
            tree = RestoreTree{std::u16string(root.substr(0, root.rfind(u'\\'))), {}};
            ++plan.treeCount;
        }
        key.path.erase(0, hiveEnd + 1 + tree->parentPath.size() + 1);
        tree->keys.push_back(std::move(key));
    }
    if (reader.FaultLine() != 0) {
        return {{}, plan.treeCount, reader.FaultLine(), reader.Fault()};
    }
    if (tree) {
        take(*tree);
    }
    return plan;
}

}  // namespace halvorn
