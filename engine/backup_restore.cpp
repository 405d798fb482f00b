#include "engine/backup_restore.h"

#include <vector>

#include "engine/backup_names.h"
#include "engine/key_path.h"
#include "log/trace_scope.h"

namespace halvorn {

namespace {

constexpr std::u16string_view kSeparator = u"===================================================";
constexpr std::u16string_view kHeading = u"Restore of %s into HKLM\\%s";
constexpr std::u16string_view kNewestHeading = u"Restore of the newest backup in %s into HKLM\\%s";
constexpr std::u16string_view kRefusedLine = u"Restore refused: %s. Nothing was written.";
constexpr std::u16string_view kRefusedAtLine = u"line %d: %s";
constexpr std::u16string_view kRestoredLine = u"HKLM\\%s";
constexpr std::u16string_view kNotRestoredLine = u"Not restored whole (error %d): HKLM\\%s";
constexpr std::u16string_view kNoParentLine = u"Not restored, the key that held it is gone: HKLM\\%s";

constexpr std::u16string_view kUnreadableRefusal =
    u"give /Restore once, followed by the backup's path, or alone for the newest backup";
constexpr std::u16string_view kReportRefusal = u"/Report does not combine with /Restore";
constexpr std::u16string_view kOfflineRefusal =
    u"with /Offline, /Restore writes only into a hive that you have loaded: /Offline:NAME";
constexpr std::u16string_view kNoBackup = u"no backup that this account's runs can have written is there";

}  // namespace

BackupRestore::BackupRestore(Registry& registry, RepairLog& log, BackupSource& source)
    : m_registry(registry), m_log(log), m_source(source) {}

RestoreResult BackupRestore::Run(std::u16string_view commandLine) {
    const TraceScope scope(m_log);
    m_result = {};
    const RunOptions options = ReadRunOptions(commandLine);
    m_log.WriteLine(kSeparator);
    const std::optional<std::u16string> targetHive = TargetHive(options);
    if (!targetHive) {
        m_log.WriteLine(u"Restore");
        m_log.WriteLine(kSeparator);
        Refuse(m_targetRefusal);
    } else {
        const std::optional<BackupRead> backup = FindBackup(options.restore);
        if (backup) {
            m_log.WriteLine(kHeading, m_result.backupPath, *targetHive);
            m_log.WriteLine(kSeparator);
            RestoreFrom(*backup, *targetHive);
        } else {
            m_log.WriteLine(kNewestHeading, m_source.RunDirectory(), *targetHive);
            m_log.WriteLine(kSeparator);
            Refuse(kNoBackup);
        }
    }
    m_log.WriteLine(kSeparator);
    m_log.WriteLine(u"Backed-up trees count\t: %d", m_result.treeCount);
    m_log.WriteLine(u"Restored trees count\t: %d", m_result.restoredCount);
    m_log.WriteLine(kSeparator);
    return m_result;
}

std::optional<std::u16string> BackupRestore::TargetHive(const RunOptions& options) {
    if (options.restore.target == RestoreTarget::Unreadable) {
        m_targetRefusal = kUnreadableRefusal;
    } else if (options.reportOnly) {
        m_targetRefusal = kReportRefusal;  // a report promises that nothing is written
    } else if (options.offline.target == OfflineTarget::None) {
        return u"SYSTEM";
    } else if (options.offline.target == OfflineTarget::NamedHive) {
        return options.offline.hiveKey;
    } else {
        m_targetRefusal = kOfflineRefusal;
    }
    return std::nullopt;
}

std::optional<BackupRead> BackupRestore::FindBackup(const RestoreRequest& request) {
    if (request.target == RestoreTarget::NamedBackup) {
        m_result.backupPath = request.backupPath;
        return m_source.Read(request.backupPath);
    }
    const std::u16string directory = m_source.RunDirectory();
    if (directory.empty()) {
        return std::nullopt;
    }
    for (const std::u16string& name : NewestBackupsFirst(m_source.BackupNames(directory))) {
        BackupRead backup = m_source.Read(directory + name);
        if (backup.outcome == BackupReading::Read) {
            m_result.backupPath = directory + name;
            return backup;
        }
    }
    return std::nullopt;
}

void BackupRestore::RestoreFrom(const BackupRead& backup, const std::u16string& targetHive) {
    if (backup.outcome != BackupReading::Read) {
        Refuse(backup.why);
        return;
    }
    RegFileContent content = ReadRegFile(backup.bytes);
    if (content.faultLine != 0) {
        Refuse(FormatText(kRefusedAtLine, {static_cast<std::int32_t>(content.faultLine), content.fault}));
        return;
    }
    const RestorePlan plan = PlanRestore(std::move(content.keys));
    if (plan.faultLine != 0) {
        Refuse(FormatText(kRefusedAtLine, {static_cast<std::int32_t>(plan.faultLine), plan.fault}));
        return;
    }
    m_result.treeCount = static_cast<std::int32_t>(plan.trees.size());
    for (const RestoreTree& tree : plan.trees) {
        if (WriteTree(targetHive, tree)) {
            ++m_result.restoredCount;
        }
    }
}

bool BackupRestore::WriteTree(const std::u16string& targetHive, const RestoreTree& tree) {
    std::u16string parentPath = targetHive;
    AppendKeyName(parentPath, tree.parentPath);
    std::u16string rootPath = parentPath;
    const std::u16string& firstKey = tree.keys.front().path;
    AppendKeyName(rootPath, std::u16string_view(firstKey).substr(0, firstKey.find(u'\\')));
    // Only the tree itself comes back: the key that held it must still be there, or the restore
    // would make up keys that the repair never deleted.
    if (!OpenedKey(m_registry, m_registry.LocalMachine(), parentPath.c_str())) {
        m_log.WriteLine(kNoParentLine, rootPath);
        return false;
    }
    const OpenedKey parent(m_registry, m_registry.LocalMachine(), parentPath.c_str(), KeyOpening::CreateForWriting);
    RegistryStatus status = parent.Status();
    for (auto key = tree.keys.begin(); status == kRegistrySuccess && key != tree.keys.end(); ++key) {
        const OpenedKey written(m_registry, parent.get(), key->path.c_str(), KeyOpening::CreateForWriting);
        status = written.Status();
        for (auto value = key->values.begin(); status == kRegistrySuccess && value != key->values.end(); ++value) {
            status = m_registry.SetValue(written.get(), *value);
        }
    }
    if (status != kRegistrySuccess) {
        m_log.WriteLine(kNotRestoredLine, status, rootPath);
        return false;
    }
    m_log.WriteLine(kRestoredLine, rootPath);
    return true;
}

void BackupRestore::Refuse(std::u16string_view why) {
    m_result.refused = true;
    m_result.refusal = m_result.backupPath.empty() ? std::u16string(why) : m_result.backupPath + u", " + std::u16string(why);
    m_log.WriteLine(kRefusedLine, m_result.refusal);
}

}  // namespace halvorn
