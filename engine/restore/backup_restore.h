#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/restore/backup_source.h"
#include "engine/registry/registry.h"
#include "engine/restore/restore_plan.h"
#include "engine/restore/restore_result.h"
#include "engine/options/run_options.h"
#include "log/backup_records.h"
#include "log/repair_log.h"

namespace halvorn {

// Puts back the trees that a repair deleted, from its backup: the file that "Restore" names, or the
// newest that a run recorded where this account's runs write (the newest there by name where none
// is recorded), never an older one. The whole file is judged before anything is written: that it
// holds what a run wrote (its record, or else who can have made or changed it), that every line is
// what the tool writes, and that every key lies in a tree that a repair deletes. Then each tree
// comes back below the key that held it, merged into whatever exists, with every value's name, type
// and data exactly as saved; nothing is ever deleted. Into HKLM\SYSTEM, whatever hive key the backup names, or with "Offline:NAME" into
// the hive loaded at HKLM\NAME.
class BackupRestore {
public:
    BackupRestore(Registry& registry, RepairLog& log, BackupSource& source, BackupRecords& records);
    BackupRestore(const BackupRestore&) = delete;
    BackupRestore& operator=(const BackupRestore&) = delete;

    RestoreResult Run(const RunOptions& options);

    // What became of each tree of the last run's backup, in the file's order.
    const std::vector<RestoredTree>& Trees() const { return m_trees; }

private:
    // The hive key below HKLM to write into; nothing, with m_targetRefusal saying why, when the
    // options name no hive that a restore may write into.
    std::optional<std::u16string> TargetHive(const RunOptions& options);
    // Finds the backup that request names, and restores it into HKLM\targetHive.
    void RestoreBackup(const RestoreRequest& request, const std::u16string& targetHive);
    // The backup to read, judged: the one named, or the newest recorded; nothing where the folder
    // holds no backup. Every newer file passed over goes to m_passedOver.
    std::optional<BackupRead> FindBackup(const RestoreRequest& request);
    // The file at path, read and judged by WhyNotToRestoreFrom.
    BackupRead ReadTrusted(const std::u16string& path);
    void RestoreFrom(const BackupRead& backup, const std::u16string& targetHive);
    void Refuse(std::u16string_view why);

    Registry& m_registry;
    RepairLog& m_log;
    BackupSource& m_source;
    BackupRecords& m_records;
    RestoreResult m_result;
    std::vector<RestoredTree> m_trees;
    std::vector<std::u16string> m_passedOver;
    std::u16string_view m_targetRefusal;
};

}  // namespace halvorn
