#include "engine/backup_restore.h"

#include <deque>
#include <vector>

#include "engine/ascii_case.h"
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
constexpr std::u16string_view kDeniedLine = u"Not restored whole, access is denied (error %d): HKLM\\%s";
constexpr std::u16string_view kNoParentLine = u"Not restored, the key that held it is gone: HKLM\\%s";
constexpr std::u16string_view kLinkLine = u"Not restored, a key on its way down is a registry link: HKLM\\%s";

constexpr std::u16string_view kUnreadableRefusal =
    u"give /Restore once, followed by the backup's path, or alone for the newest backup";
constexpr std::u16string_view kReportRefusal = u"/Report does not combine with /Restore";
constexpr std::u16string_view kOfflineRefusal =
    u"with /Offline, /Restore writes only into a hive that you have loaded: /Offline:NAME";
constexpr std::u16string_view kNoBackup = u"no backup that this account's runs can have written is there";

// The names of a backslash-separated path, which the planner has found to hold no empty one.
std::vector<std::u16string_view> NamesOf(std::u16string_view path) {
    std::vector<std::u16string_view> names;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(u'\\', start), path.size());
        names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

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
    const std::vector<std::u16string_view> parentNames = NamesOf(tree.parentPath);
    std::u16string treePath = targetHive;
    AppendKeyName(treePath, tree.parentPath);
    AppendKeyName(treePath, NamesOf(tree.keys.front().path).front());
    const auto kept = [&](std::u16string_view line) {
        m_log.WriteLine(line, treePath);
        return false;
    };
    const auto failed = [&](RegistryStatus status) {
        m_log.WriteLine(status == kRegistryAccessDenied ? kDeniedLine : kNotRestoredLine, status, treePath);
        return false;
    };

    // The control set and its root are reached as the repair reached them, through the
    // CurrentControlSet link too; every key below them is opened from its parent's handle, never
    // through a link, and none is made up: the key that held the tree must still be there.
    std::u16string rootPath = targetHive;
    AppendKeyName(rootPath, parentNames[0]);
    AppendKeyName(rootPath, parentNames[1]);
    std::deque<OpenedKey> way;
    way.emplace_back(m_registry, m_registry.LocalMachine(), rootPath.c_str());
    for (std::size_t level = 2; way.back() && level < parentNames.size(); ++level) {
        const SubkeyAccess access = level + 1 == parentNames.size() ? SubkeyAccess::AddSubkeys : SubkeyAccess::Read;
        way.emplace_back(m_registry, way.back().get(), std::u16string(parentNames[level]).c_str(), access);
        if (way.back() && m_registry.IsLink(way.back().get())) {
            return kept(kLinkLine);
        }
    }
    if (const RegistryStatus status = way.back().Status(); status != kRegistrySuccess) {
        return status == kRegistryFileNotFound || status == kRegistryKeyDeleted ? kept(kNoParentLine) : failed(status);
    }

    // Each key of the tree comes one level at a time below the keys that the one before it opened.
    const std::size_t parentDepth = way.size();
    std::vector<std::u16string_view> opened;  // the names below the parent that way holds open
    for (const RegFileKey& key : tree.keys) {
        const std::vector<std::u16string_view> names = NamesOf(key.path);
        std::size_t shared = 0;
        while (shared < names.size() && shared < opened.size() && EqualsIgnoringAsciiCase(names[shared], opened[shared])) {
            ++shared;
        }
        while (way.size() > parentDepth + shared) {
            way.pop_back();
        }
        opened.resize(shared);
        for (std::size_t level = shared; level < names.size(); ++level) {
            way.emplace_back(m_registry, way.back().get(), std::u16string(names[level]).c_str(), SubkeyAccess::Create);
            if (!way.back()) {
                return failed(way.back().Status());
            }
            if (m_registry.IsLink(way.back().get())) {
                return kept(kLinkLine);
            }
            opened.push_back(names[level]);
        }
        for (const RegistryValue& value : key.values) {
            if (const RegistryStatus status = m_registry.SetValue(way.back().get(), value); status != kRegistrySuccess) {
                return failed(status);
            }
        }
    }
    m_log.WriteLine(kRestoredLine, treePath);
    return true;
}

void BackupRestore::Refuse(std::u16string_view why) {
    m_result.refused = true;
    m_result.refusal = m_result.backupPath.empty() ? std::u16string(why) : m_result.backupPath + u", " + std::u16string(why);
    m_log.WriteLine(kRefusedLine, m_result.refusal);
}

}  // namespace halvorn
