// RegistryCleaner's walk below one selected key: the scan, the backup of each invalid tree and its
// deletion. The run that selects the keys is in registry_cleaner_run.cpp.
#include "engine/repair/registry_cleaner.h"

#include "engine/registry/ascii_case.h"
#include "engine/registry/key_path.h"
#include "log/trace_scope.h"

namespace halvorn {

namespace {

constexpr std::u16string_view kFoundKeyLine = u"%s\\%s";
constexpr std::u16string_view kLinkKeptLine = u"Kept, since it or a key below it is a registry link: HKLM\\%s";
constexpr std::u16string_view kBackupLostLine =
    u"Backup: %s is no longer this run's own file, so the invalid keys not saved to it yet are kept.";

}  // namespace

struct RegistryCleaner::ScanBuffers {
    std::array<char16_t, kScanNameCapacity> name{};
};

RegistryCleaner::RegistryCleaner(Registry& registry, RepairLog& log, BackupFile* backup)
    : m_registry(registry), m_log(log), m_backup(backup), m_treeExport(registry) {}

RegistryCleaner::~RegistryCleaner() = default;

RegistryCleaner::ScanBuffers& RegistryCleaner::ScanBuffersAt(std::size_t depth) {
    while (m_scanBuffers.size() <= depth) {
        m_scanBuffers.push_back(std::make_unique<ScanBuffers>());
    }
    return *m_scanBuffers[depth];
}

void RegistryCleaner::ScanSubtree(RegistryKey parentKey, const char16_t* keyName,
                                  std::u16string_view prefix) {
    m_selectedKey.assign(keyName);
    ScanSubtreeAt(parentKey, keyName, prefix, 0);
}

// Put together only when an invalid key is found, from the names that the levels of the walk hold
// in their buffers, so that the walk over valid keys does nothing for it.
std::u16string& RegistryCleaner::FoundKeyPath(std::size_t depth) {
    m_keyPath = m_rootPath;
    AppendKeyName(m_keyPath, m_selectedKey);
    for (std::size_t level = 0; level <= depth; ++level) {
        AppendKeyName(m_keyPath, m_scanBuffers[level]->name.data());
    }
    return m_keyPath;
}

void RegistryCleaner::ScanSubtreeAt(RegistryKey parentKey, const char16_t* keyName,
                                    std::u16string_view prefix, std::size_t depth) {
    TraceScope scope(m_log);
    // A link is opened as itself, which has no subkeys: nothing below a link is ever reached.
    const OpenedKey key(m_registry, parentKey, keyName, SubkeyAccess::Read);
    if (!key) {
        return;
    }
    // Read once: after a deletion the last indices below the count fail and are passed over.
    const std::uint32_t subkeyCount = m_registry.QuerySubkeyCount(key.get());
    ScanBuffers& buffers = ScanBuffersAt(depth);
    const char16_t* name = buffers.name.data();

    for (std::uint32_t index = 0; index < subkeyCount;) {
        std::uint32_t next = index + 1;
        if (m_registry.EnumerateSubkey(key.get(), index, buffers.name.data(), kScanNameCapacity) ==
            kRegistrySuccess) {
            if (!StartsWithIgnoringAsciiCase(name, prefix)) {
                ScanSubtreeAt(key.get(), name, prefix, depth + 1);
            } else if (RemoveInvalidKey(key.get(), keyName, depth)) {
                // Indices close up after a deletion: the next sibling now has this index.
                next = index;
            }
        }
        index = next;
    }
}

bool RegistryCleaner::RemoveInvalidKey(RegistryKey parentKey, const char16_t* parentName,
                                       std::size_t depth) {
    const char16_t* name = m_scanBuffers[depth]->name.data();
    // An invalid key is deleted whole and never scanned.
    if (m_reportOnly) {
        if (m_reportedKeys.Add(FoundKeyPath(depth))) {
            ++invalidCount;
            m_log.WriteLine(kFoundKeyLine, parentName, name);
            NoteFound(depth, KeyFate::ReportOnly);
        }
        return false;
    }
    ++invalidCount;
    // One handle serves the look, the backup and the deletion, so all three see the same key.
    const OpenedKey invalid(m_registry, parentKey, name, SubkeyAccess::ReadAndDelete);
    if (!invalid) {
        NoteFound(depth, KeyFate::DeletionRefused);
        return false;
    }
    KeyTreeOutcome outcome = SaveTree(invalid.get(), depth);
    KeyFate fate = KeyFate::NotBackedUp;
    if (outcome == KeyTreeOutcome::Whole) {
        outcome = DeleteKeyTree(invalid.get());
        fate = KeyFate::DeletionRefused;
    }
    if (outcome == KeyTreeOutcome::HoldsLink) {
        m_log.WriteLine(kLinkKeptLine, FoundKeyPath(depth));
        fate = KeyFate::RegistryLink;
    }
    if (outcome != KeyTreeOutcome::Whole) {
        NoteFound(depth, fate);
        return false;
    }
    m_log.WriteLine(kFoundKeyLine, parentName, name);
    ++deletedCount;
    NoteFound(depth, KeyFate::Deleted);
    return true;
}

void RegistryCleaner::NoteFound(std::size_t depth, KeyFate fate) {
    foundKeys.push_back({u"HKLM\\" + FoundKeyPath(depth), fate});
}

KeyTreeOutcome RegistryCleaner::SaveTree(RegistryKey key, std::size_t depth) {
    if (m_backup == nullptr) {
        return m_registry.IsLink(key) ? KeyTreeOutcome::HoldsLink : KeyTreeOutcome::Whole;
    }
    m_treeText.clear();
    if (const KeyTreeOutcome outcome = m_treeExport.AppendTree(key, FoundKeyPath(depth), m_treeText);
        outcome != KeyTreeOutcome::Whole) {
        return outcome;
    }
    if (m_backup->Append(m_treeText)) {
        return KeyTreeOutcome::Whole;
    }
    // Said once for each backup that is lost, where the first tree that it could not take stays.
    if (const std::u16string lost = m_backup->LostPath(); !lost.empty() && lost != m_reportedLostBackup) {
        m_log.WriteLine(kBackupLostLine, lost);
        m_reportedLostBackup = lost;
    }
    return KeyTreeOutcome::Partial;
}

KeyTreeOutcome RegistryCleaner::DeleteKeyTree(RegistryKey key) {
    if (m_registry.IsLink(key)) {
        return KeyTreeOutcome::HoldsLink;
    }
    if (m_registry.DeleteOpenedKey(key) == kRegistrySuccess) {
        return KeyTreeOutcome::Whole;
    }
    // Each child deleted closes up the indices, so the next child is again at index 0. Every
    // child is opened from its parent's handle and deleted through its own, never by a name that
    // the registry would resolve again.
    while (m_registry.EnumerateSubkey(key, 0, m_childName.data(), kDeleteNameCapacity) == kRegistrySuccess) {
        const OpenedKey child(m_registry, key, m_childName.data(), SubkeyAccess::ReadAndDelete);
        const KeyTreeOutcome outcome = child ? DeleteKeyTree(child.get()) : KeyTreeOutcome::Partial;
        if (outcome != KeyTreeOutcome::Whole) {
            return outcome;
        }
    }
    return m_registry.DeleteOpenedKey(key) == kRegistrySuccess ? KeyTreeOutcome::Whole : KeyTreeOutcome::Partial;
}

}  // namespace halvorn
