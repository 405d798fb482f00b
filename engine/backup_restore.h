#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/backup_source.h"
#include "engine/registry.h"
#include "engine/restore_plan.h"
#include "engine/restore_result.h"
#include "engine/run_options.h"
#include "log/repair_log.h"

namespace halvorn {

// Puts back the trees that a repair deleted, from its backup: the file that "Restore" names, or the
// newest trusted one where this account's runs write. The whole file is judged before anything is
// written: who can have made or changed it, that every line is what the tool writes, and that every
// key lies in a tree that a repair deletes. Then each tree comes back below the key that held it,
// merged into whatever exists, with every value's name, type and data exactly as saved; nothing is
// ever deleted. Into HKLM\SYSTEM, whatever hive key the backup names, or with "Offline:NAME" into
// the hive loaded at HKLM\NAME.
class BackupRestore {
public:
    BackupRestore(Registry& registry, RepairLog& log, BackupSource& source);
    BackupRestore(const BackupRestore&) = delete;
    BackupRestore& operator=(const BackupRestore&) = delete;

    RestoreResult Run(std::u16string_view commandLine);

private:
    // The hive key below HKLM to write into; nothing, with m_targetRefusal saying why, when the
    // options name no hive that a restore may write into.
    std::optional<std::u16string> TargetHive(const RunOptions& options);
    // The backup to read: the one named, or the newest that can be read and trusted.
    std::optional<BackupRead> FindBackup(const RestoreRequest& request);
    void RestoreFrom(const BackupRead& backup, const std::u16string& targetHive);
    bool WriteTree(const std::u16string& targetHive, const RestoreTree& tree);
    void Refuse(std::u16string_view why);

    Registry& m_registry;
    RepairLog& m_log;
    BackupSource& m_source;
    RestoreResult m_result;
    std::u16string_view m_targetRefusal;
};

}  // namespace halvorn
