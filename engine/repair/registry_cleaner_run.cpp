// RegistryCleaner's run over the hive: its control sets, their roots and the selected keys below
// them. The walk below each selected key is in registry_cleaner.cpp.
#include "engine/repair/registry_cleaner.h"

#include <array>
#include <vector>

#include "engine/options/run_options.h"
#include "engine/repair/repair_scope.h"
#include "engine/repair/target_services.h"
#include "log/trace_scope.h"

namespace halvorn {

namespace {


struct RepairRoot {
    std::u16string_view heading;
    std::u16string_view pathFormat;
};

// Walked in this order in every control set; each format takes the hive key, then the control set.
constexpr std::array<RepairRoot, 3> kRepairRoots = {{
    {u"HKLM\\%s\\%s\\Services", u"%s\\%s\\Services"},
    {u"HKLM\\%s\\%s\\Enum", u"%s\\%s\\Enum"},
    {u"HKLM\\%s\\%s\\Control", u"%s\\%s\\Control"},
}};

}  // namespace

void RegistryCleaner::Run(std::u16string_view text) { Run(text, ReadRunOptions(text)); }

void RegistryCleaner::Run(std::u16string_view text, const RunOptions& options) {
    Begin(text, options);
    systemKeyOpened = RepairHive(u"SYSTEM");
    if (!systemKeyOpened) {
        m_log.WriteLine(u"HKLM\\SYSTEM could not be opened: nothing was repaired.");
    }
    End();
}

void RegistryCleaner::Begin(std::u16string_view text, const RunOptions& options) {
    commandLine.assign(text);
    const TraceScope scope(m_log);
    m_scanAll = options.scanAll;
    m_reportOnly = options.reportOnly;
    if (options.noBackup) {
        m_backup = nullptr;
    }
}

bool RegistryCleaner::RepairHive(std::u16string_view hiveKey) {
    const std::u16string hive(hiveKey);
    if (m_reportOnly) {
        m_reportedKeys.ResolveCurrentControlSet(m_registry, hive);
    }
    const OpenedKey hiveRoot(m_registry, m_registry.LocalMachine(), hive.c_str());
    if (!hiveRoot) {
        return false;
    }
    // An offline hive has no CurrentControlSet, which Windows links at start-up: its numbered
    // sets are walked by name, as they are in the running Windows.
    const std::uint32_t subkeyCount = m_registry.QuerySubkeyCount(hiveRoot.get());
    std::vector<char16_t> name(kScanNameCapacity);
    for (std::uint32_t index = 0; index < subkeyCount; ++index) {
        if (m_registry.EnumerateSubkey(hiveRoot.get(), index, name.data(), kScanNameCapacity) !=
                kRegistrySuccess ||
            !IsControlSetName(name.data())) {
            continue;
        }
        // Headings keep the name as the registry spells it.
        const std::u16string_view controlSet = name.data();
        for (const RepairRoot& root : kRepairRoots) {
            m_log.WriteLine(kSeparator);
            m_log.WriteLine(root.heading, hiveKey, controlSet);
            m_log.WriteLine(kSeparator);
            WalkRoot(FormatText(root.pathFormat, {hiveKey, controlSet}), m_scanAll);
        }
    }
    return true;
}

void RegistryCleaner::End() {
    if (m_reportOnly) {
        m_log.WriteLine(u"Report only: no key was deleted.");
    }
    m_log.WriteLine(kSeparator);
    m_log.WriteLine(u"Invalid registry keys count\t: %d", invalidCount);
    m_log.WriteLine(u"Deleted registry keys count\t: %d", deletedCount);
    m_log.WriteLine(kSeparator);
}

void RegistryCleaner::WalkRoot(const std::u16string& rootPath, bool scanAll) {
    const OpenedKey root(m_registry, m_registry.LocalMachine(), rootPath.c_str());
    if (!root) {
        return;
    }
    m_rootPath = rootPath;
    // The scan never deletes an immediate subkey of the root, so these indices stay valid.
    const std::uint32_t subkeyCount = m_registry.QuerySubkeyCount(root.get());
    std::vector<char16_t> name(kScanNameCapacity);
    for (std::uint32_t index = 0; index < subkeyCount; ++index) {
        if (m_registry.EnumerateSubkey(root.get(), index, name.data(), kScanNameCapacity) ==
                kRegistrySuccess &&
            (IsTargetService(name.data()) || scanAll)) {
            ScanSubtree(root.get(), name.data(), InvalidKeyPrefix);
        }
    }
}

}  // namespace halvorn
