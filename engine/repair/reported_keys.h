#pragma once

#include <set>
#include <string>
#include <string_view>

#include "engine/registry/registry.h"

namespace halvorn {

// The invalid keys that a report-only run has listed. Windows lists CurrentControlSet beside the
// numbered control set that it links to, so a run walks that set twice; a deleting run finds each
// key in the first walk only, since it is gone for the second. The report resolves the link, so
// that it too lists each key once.
class ReportedKeys {
public:
    // Reads which numbered set CurrentControlSet of the hive at HKLM\hiveKey stands for: its
    // Select key, value "Current". Without it, every path counts as its own key.
    void ResolveCurrentControlSet(Registry& registry, std::u16string_view hiveKey);

    // True the first time the key at path (below HKEY_LOCAL_MACHINE) is added, under either name
    // of its control set.
    bool Add(std::u16string_view path);

private:
    std::u16string m_linkPrefix;        // "system\currentcontrolset\", folded; empty when unknown
    std::u16string m_currentSetPrefix;  // "system\controlset001\", folded
    std::set<std::u16string> m_paths;   // resolved and folded
};

}  // namespace halvorn
