#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "engine/registry/registry.h"
#include "engine/restore/restore_plan.h"
#include "engine/restore/restore_result.h"
#include "log/repair_log.h"

namespace halvorn {

// Writes a backup's trees back into the hive at HKLM\targetHive, each with every value exactly as
// saved, one key at a time from its parent's handle: never through a registry link, and never
// making up a key that the repair did not delete. Each tree gets a line in the log: those written
// whole go there together, a hundred at a time and before any other line, since under Wine each
// append of a line costs more than writing a tree of a few keys.
class RestoreTreeWriter {
public:
    // trees: where what became of each tree goes, in the file's order.
    RestoreTreeWriter(Registry& registry, RepairLog& log, std::u16string targetHive, std::vector<RestoredTree>& trees);
    ~RestoreTreeWriter();
    RestoreTreeWriter(const RestoreTreeWriter&) = delete;
    RestoreTreeWriter& operator=(const RestoreTreeWriter&) = delete;

    // True when the tree came back whole.
    bool Write(const RestoreTree& tree);

    // The lines of the trees written whole so far go to the log.
    void Flush();

private:
    // Opens the way down to the key that held the tree, unless the tree before it had the same one;
    // false, with the log saying why the tree at treePath is not restored, where it cannot.
    bool OpenWayTo(const std::u16string& parentPath, const std::u16string& treePath);
    bool Kept(std::u16string_view line, const std::u16string& treePath);
    bool Failed(RegistryStatus status, const std::u16string& treePath);
    // The tree's line in the log, and what became of it, why before the path.
    bool NotRestored(const std::u16string& line, const std::u16string& treePath);

    Registry& m_registry;
    RepairLog& m_log;
    std::u16string m_targetHive;
    // The control set's root, each key down to the one that held the tree, then the tree's own keys.
    std::deque<OpenedKey> m_way;
    std::u16string m_wayTo;  // the parent path that the way leads to; empty when it is not open
    std::vector<std::u16string> m_writtenLines;
    std::vector<RestoredTree>& m_trees;
};

}  // namespace halvorn
