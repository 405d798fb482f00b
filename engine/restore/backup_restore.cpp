#include "engine/restore/backup_restore.h"

#include <algorithm>
#include <new>
#include <vector>

#include "engine/registry/ascii_case.h"
#include "engine/restore/backup_names.h"
#include "engine/restore/restore_tree_writer.h"
#include "log/trace_scope.h"

namespace halvorn {

namespace {

constexpr std::u16string_view kHeading = u"Restore of %s into HKLM\\%s";
constexpr std::u16string_view kNewestHeading = u"Restore of the newest backup in %s into HKLM\\%s";
constexpr std::u16string_view kRefusedLine = u"Restore refused: %s. Nothing was written.";
constexpr std::u16string_view kRefusedAtLine = u"line %d: %s";
constexpr std::u16string_view kNoMemoryForTreeLine =
    u"Stopped, there is not enough memory for the next tree: the trees above were written back.";
constexpr std::u16string_view kPassedOverLine = u"Passed over, no run recorded it: %s";

constexpr std::u16string_view kUnreadableRefusal =
    u"give /Restore once, followed by the backup's path, or alone for the newest backup";
constexpr std::u16string_view kReportRefusal = u"/Report does not combine with /Restore";
constexpr std::u16string_view kOfflineRefusal =
    u"with /Offline, /Restore writes only into a hive that you have loaded: /Offline:NAME";
constexpr std::u16string_view kNoBackup = u"no backup that this account's runs can have written is there";
constexpr std::u16string_view kNoTree = u"it holds no tree that a repair deleted";
constexpr std::u16string_view kNoMemory = u"there is not enough memory to read it";

// Whether names holds name, in any ASCII case.
bool HoldsName(const std::vector<std::u16string>& names, std::u16string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [name](const std::u16string& other) { return EqualsIgnoringAsciiCase(name, other); });
}

}  // namespace

BackupRestore::BackupRestore(Registry& registry, RepairLog& log, BackupSource& source, BackupRecords& records)
    : m_registry(registry), m_log(log), m_source(source), m_records(records) {}

RestoreResult BackupRestore::Run(const RunOptions& options) {
    const TraceScope scope(m_log);
    m_result = {};
    m_trees.clear();
    m_passedOver.clear();
    m_log.WriteLine(kSeparator);
    const std::optional<std::u16string> targetHive = TargetHive(options);
    if (!targetHive) {
        m_log.WriteLine(u"Restore");
        m_log.WriteLine(kSeparator);
        Refuse(m_targetRefusal);
    } else {
        try {
            RestoreBackup(options.restore, *targetHive);
        } catch (const std::bad_alloc&) {
            // Reading the file takes about its size in memory, which a 32-bit process can lack;
            // nothing has been written by then.
            Refuse(kNoMemory);
        }
    }
    m_log.WriteLine(kSeparator);
    m_log.WriteLine(u"Backed-up trees count\t: %d", m_result.treeCount);
    m_log.WriteLine(u"Restored trees count\t: %d", m_result.restoredCount);
    m_log.WriteLine(kSeparator);
    return m_result;
}

void BackupRestore::RestoreBackup(const RestoreRequest& request, const std::u16string& targetHive) {
    const std::optional<BackupRead> backup = FindBackup(request);
    if (backup) {
        m_log.WriteLine(kHeading, m_result.backupPath, targetHive);
        m_log.WriteLine(kSeparator);
        for (const std::u16string& path : m_passedOver) {
            m_log.WriteLine(kPassedOverLine, path);
        }
        RestoreFrom(*backup, targetHive);
    } else {
        m_log.WriteLine(kNewestHeading, m_source.RunDirectory(), targetHive);
        m_log.WriteLine(kSeparator);
        Refuse(kNoBackup);
    }
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
        return ReadTrusted(request.backupPath);
    }
    const std::u16string directory = m_source.RunDirectory();
    if (directory.empty()) {
        return std::nullopt;
    }
    // The backups recorded in the folder count whether or not their files are still there, so that
    // one that is gone is refused rather than replaced by an older one.
    std::vector<std::u16string> names = m_source.BackupNames(directory);
    std::vector<std::u16string> recorded;
    for (const std::u16string& path : m_records.Paths()) {
        if (StartsWithIgnoringAsciiCase(path, directory) &&
            path.find(u'\\', directory.size()) == std::u16string::npos) {
            recorded.push_back(path.substr(directory.size()));
        }
    }
    for (const std::u16string& name : recorded) {
        if (!HoldsName(names, name)) {
            names.push_back(name);
        }
    }
    const std::vector<std::u16string> newestFirst = NewestBackupsFirst(names);
    if (newestFirst.empty()) {
        return std::nullopt;
    }
    auto taken = std::find_if(newestFirst.begin(), newestFirst.end(),
                              [&recorded](const std::u16string& name) { return HoldsName(recorded, name); });
    if (taken == newestFirst.end()) {
        taken = newestFirst.begin();  // no backup there is recorded
    }
    for (auto newer = newestFirst.begin(); newer != taken; ++newer) {
        m_passedOver.push_back(directory + *newer);
    }
    m_result.backupPath = directory + *taken;
    return ReadTrusted(m_result.backupPath);
}

BackupRead BackupRestore::ReadTrusted(const std::u16string& path) {
    BackupRead backup = m_source.Read(path);
    if (backup.outcome != BackupReading::Read) {
        return backup;
    }
    RecordedBytes record = RecordedBytes::NoRecord;
    if (const std::optional<Sha256Digest> recorded = m_records.Find(path)) {
        Sha256 content;
        content.Add(backup.bytes);
        record = content.Digest() == *recorded ? RecordedBytes::Match : RecordedBytes::Differ;
    }
    if (const std::u16string_view why = WhyNotToRestoreFrom(backup.file, backup.writers, record); !why.empty()) {
        return {BackupReading::Untrusted, {}, why};
    }
    return backup;
}

void BackupRestore::RestoreFrom(const BackupRead& backup, const std::u16string& targetHive) {
    if (backup.outcome != BackupReading::Read) {
        Refuse(backup.why);
        return;
    }
    // The whole file is judged before anything is written, and read a second time to write it, so
    // that no more than one tree is held in memory beside the file's bytes.
    const RestorePlan plan = ReadRestoreTrees(backup.bytes, [](const RestoreTree&) {});
    if (plan.faultLine != 0) {
        Refuse(FormatText(kRefusedAtLine, {static_cast<std::int32_t>(plan.faultLine), plan.fault}));
        return;
    }
    if (plan.treeCount == 0) {
        Refuse(kNoTree);
        return;
    }
    m_result.treeCount = plan.treeCount;
    RestoreTreeWriter writer(m_registry, m_log, targetHive, m_trees);
    try {
        ReadRestoreTrees(backup.bytes, [&](const RestoreTree& tree) {
            if (writer.Write(tree)) {
                ++m_result.restoredCount;
            }
        });
    } catch (const std::bad_alloc&) {
        writer.Flush();
        m_log.WriteLine(kNoMemoryForTreeLine);
    }
    writer.Flush();
}

void BackupRestore::Refuse(std::u16string_view why) {
    m_result.refused = true;
    m_result.refusal = m_result.backupPath.empty() ? std::u16string(why) : m_result.backupPath + u", " + std::u16string(why);
    m_log.WriteLine(kRefusedLine, m_result.refusal);
}

}  // namespace halvorn
