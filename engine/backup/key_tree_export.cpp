#include "engine/backup/key_tree_export.h"

#include "engine/registry/key_path.h"
#include "engine/backup/reg_file_format.h"

namespace halvorn {

KeyTreeOutcome KeyTreeExport::AppendTree(RegistryKey key, std::u16string& keyPath, std::u16string& text) {
    if (const KeyTreeOutcome outcome = AppendKey(key, keyPath, text); outcome != KeyTreeOutcome::Whole) {
        return outcome;
    }
    // Enumerated until the registry says there is no more: a failed count must not hide a subkey
    // that the deletion would then remove unsaved.
    for (std::uint32_t index = 0;; ++index) {
        const RegistryStatus status = m_registry.EnumerateSubkey(key, index, m_childName.data(), kNameCapacity);
        if (status == kRegistryNoMoreItems) {
            return KeyTreeOutcome::Whole;
        }
        if (status != kRegistrySuccess) {
            return KeyTreeOutcome::Partial;
        }
        const OpenedKey child(m_registry, key, m_childName.data(), SubkeyAccess::Read);
        if (!child) {
            return KeyTreeOutcome::Partial;
        }
        const KeyPathExtension childPath(keyPath, m_childName.data());
        if (const KeyTreeOutcome outcome = AppendTree(child.get(), keyPath, text); outcome != KeyTreeOutcome::Whole) {
            return outcome;
        }
    }
}

KeyTreeOutcome KeyTreeExport::AppendKey(RegistryKey key, const std::u16string& keyPath, std::u16string& text) {
    // A backup cannot carry a link, and a restore must never make one.
    if (m_registry.IsLink(key)) {
        return KeyTreeOutcome::HoldsLink;
    }
    if (!AppendRegKeyLine(text, keyPath)) {
        return KeyTreeOutcome::Partial;
    }
    for (std::uint32_t index = 0;; ++index) {
        const RegistryStatus status = m_registry.EnumerateValue(key, index, m_value);
        if (status == kRegistryNoMoreItems) {
            return KeyTreeOutcome::Whole;
        }
        if (status != kRegistrySuccess || !AppendRegValueLines(text, m_value)) {
            return KeyTreeOutcome::Partial;
        }
    }
}

}  // namespace halvorn
