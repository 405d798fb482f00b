#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/backup/backup_file.h"
#include "engine/backup/key_tree_export.h"
#include "engine/repair/found_key.h"
#include "engine/registry/registry.h"
#include "engine/repair/repair_scope.h"
#include "engine/repair/reported_keys.h"
#include "engine/options/run_options.h"
#include "log/repair_log.h"

namespace halvorn {

// The engine of one repair run: finds the invalid keys below the selected keys, saves each tree to
// the backup file, deletes it, counts them and logs every deletion. Create one with both counts 0,
// run once, and read the counts.
class RegistryCleaner {
public:
    // Capacities, terminator included, of the name buffers handed to subkey enumeration.
    static constexpr std::uint32_t kScanNameCapacity = 2056;
    static constexpr std::uint32_t kDeleteNameCapacity = 260;

    // Without a backup file, trees are deleted unsaved.
    RegistryCleaner(Registry& registry, RepairLog& log, BackupFile* backup = nullptr);
    RegistryCleaner(const RegistryCleaner&) = delete;
    RegistryCleaner& operator=(const RegistryCleaner&) = delete;
    ~RegistryCleaner();

    // The whole repair: every control set of HKLM\SYSTEM, its Services, Enum and Control keys, and
    // below them the target services (or every subkey with the option "Override"); then the counts.
    // "Report" finds and logs the invalid keys without deleting or saving any; "NoBackup" deletes
    // without saving.
    void Run(std::u16string_view text);
    // The same with the options that start-up has read from text already.
    void Run(std::u16string_view text, const RunOptions& options);

    // A run over other hives than the running Windows' own takes three steps: Begin once,
    // RepairHive for each hive, End once. Begin stores the text, has the log's header written and
    // takes the options that start-up read from it.
    void Begin(std::u16string_view text, const RunOptions& options);
    // Repairs every control set of the hive at HKLM\hiveKey as Run repairs HKLM\SYSTEM, with the
    // hive key in the headings; false when the hive key would not open.
    bool RepairHive(std::u16string_view hiveKey);
    // The counts that close the run.
    void End();

    // Hands each selected immediate subkey of rootPath (relative to HKEY_LOCAL_MACHINE) to the scan.
    void WalkRoot(const std::u16string& rootPath, bool scanAll);

    // Finds, counts and deletes every key below keyName (an immediate subkey of parentKey) whose
    // name begins with prefix; keyName itself is never tested. Every key from keyName down is
    // opened from its parent's handle, and a registry link is never followed. A tree whose backup
    // cannot be written whole stays, counted as found only, and so does a tree that holds a link.
    void ScanSubtree(RegistryKey parentKey, const char16_t* keyName, std::u16string_view prefix);

    // Deletes key, opened by OpenSubkey with ReadAndDelete, with all its subkeys, each through a
    // handle of its own. Whole when it is gone; where a key cannot be deleted, or is a link, the
    // keys deleted before it stay deleted and the rest stays.
    KeyTreeOutcome DeleteKeyTree(RegistryKey key);

    std::u16string commandLine;
    std::int32_t deletedCount = 0;
    std::int32_t invalidCount = 0;
    // Whether Run could open HKLM\SYSTEM; without it the counts say nothing about the machine.
    bool systemKeyOpened = false;
    // Every invalid key counted, in the order found, and what became of it.
    std::vector<FoundKey> foundKeys;

private:
    struct ScanBuffers;

    void ScanSubtreeAt(RegistryKey parentKey, const char16_t* keyName, std::u16string_view prefix,
                       std::size_t depth);
    ScanBuffers& ScanBuffersAt(std::size_t depth);
    // True when the invalid key that the walk's level depth has just enumerated below parentKey
    // has been deleted.
    bool RemoveInvalidKey(RegistryKey parentKey, const char16_t* parentName, std::size_t depth);
    void NoteFound(std::size_t depth, KeyFate fate);
    // The tree of the invalid key in hand, open as key, saved to the backup (where there is one).
    KeyTreeOutcome SaveTree(RegistryKey key, std::size_t depth);
    // The path below HKEY_LOCAL_MACHINE of the key that the walk's level depth has just enumerated.
    std::u16string& FoundKeyPath(std::size_t depth);

    Registry& m_registry;
    RepairLog& m_log;
    BackupFile* m_backup;
    bool m_scanAll = false;
    bool m_reportOnly = false;
    ReportedKeys m_reportedKeys;
    // The path below HKEY_LOCAL_MACHINE of the root being walked (empty when the scan is called on
    // its own), the selected key below it, and the path of the invalid key in hand.
    std::u16string m_rootPath;
    std::u16string m_selectedKey;
    std::u16string m_keyPath;
    KeyTreeExport m_treeExport;
    std::u16string m_treeText;
    // The last backup that the log has named as lost.
    std::u16string m_reportedLostBackup;
    // One set per level of the walk, kept off the stack so that a tree as deep as the registry
    // allows cannot exhaust it, and reused from one subtree to the next.
    std::vector<std::unique_ptr<ScanBuffers>> m_scanBuffers;
    // Opened before the recursion goes deeper, so one buffer serves all levels of a deletion.
    std::array<char16_t, kDeleteNameCapacity> m_childName{};
};

}  // namespace halvorn
