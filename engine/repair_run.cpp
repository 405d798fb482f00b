#include <algorithm>
#include <array>
#include <vector>

#include "engine/ascii_case.h"
#include "engine/option_list.h"
#include "engine/registry_cleaner.h"
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

// Walked in this order in every control set.
constexpr std::array<RepairRoot, 3> kRepairRoots = {{
    {u"HKLM\\SYSTEM\\%s\\Services", u"SYSTEM\\%s\\Services"},
    {u"HKLM\\SYSTEM\\%s\\Enum", u"SYSTEM\\%s\\Enum"},
    {u"HKLM\\SYSTEM\\%s\\Control", u"SYSTEM\\%s\\Control"},
}};

// Selected by prefix alone, so a backup such as "ControlSetBackup" is walked too.
bool IsControlSetName(std::u16string_view name) {
    return StartsWithIgnoringAsciiCase(name, u"CONTROLSET") ||
           StartsWithIgnoringAsciiCase(name, u"CURRENTCONTROLSET");
}

}  // namespace

void RegistryCleaner::Run(std::u16string_view text) {
    commandLine.assign(text);
    TraceScope scope(m_log);
    OptionList options;
    options.Parse(commandLine);
    const RunOptions runOptions = ReadRunOptions(options);
    m_reportOnly = runOptions.reportOnly;
    if (m_reportOnly) {
        m_reportedKeys.ResolveCurrentControlSet(m_registry);
    }
    if (runOptions.noBackup) {
        m_backup = nullptr;
    }

    if (const OpenedKey system(m_registry, m_registry.LocalMachine(), u"SYSTEM"); system) {
        systemKeyOpened = true;
        const std::uint32_t subkeyCount = m_registry.QuerySubkeyCount(system.get());
        std::vector<char16_t> name(kScanNameCapacity);
        for (std::uint32_t index = 0; index < subkeyCount; ++index) {
            if (m_registry.EnumerateSubkey(system.get(), index, name.data(), kScanNameCapacity) !=
                    kRegistrySuccess ||
                !IsControlSetName(name.data())) {
                continue;
            }
            // Headings keep the name as the registry spells it.
            const std::u16string_view controlSet = name.data();
            for (const RepairRoot& root : kRepairRoots) {
                m_log.WriteLine(kSeparator);
                m_log.WriteLine(root.heading, controlSet);
                m_log.WriteLine(kSeparator);
                WalkRoot(FormatText(root.pathFormat, {controlSet}), runOptions.scanAll);
            }
        }
    }

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
