#include <algorithm>
#include <array>
#include <vector>

#include "engine/ascii_case.h"
#include "engine/registry_cleaner.h"
#include "engine/repair_scope.h"
#include "engine/run_options.h"
#include "engine/target_services.h"
#include "log/trace_scope.h"

namespace halvorn {

namespace {

constexpr std::u16string_view kSeparator = u"===================================================";

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

void RegistryCleaner::Run(std::u16string_view text) {
    Begin(text);
    systemKeyOpened = RepairHive(u"SYSTEM");
    if (!systemKeyOpened) {
        m_log.WriteLine(u"HKLM\\SYSTEM could not be opened: nothing was repaired.");
    }
    End();
}

RunOptions RegistryCleaner::Begin(std::u16string_view text) {
    commandLine.assign(text);
    const TraceScope scope(m_log);
    RunOptions runOptions = ReadRunOptions(commandLine);
    m_scanAll = runOptions.scanAll;
    m_reportOnly = runOptions.reportOnly;
    if (runOptions.noBackup) {
        m_backup = nullptr;
    }
    return runOptions;
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
