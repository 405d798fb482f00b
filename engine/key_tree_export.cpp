#include "engine/key_tree_export.h"

#include "engine/key_path.h"
#include "engine/reg_file_format.h"

namespace halvorn {

bool KeyTreeExport::AppendTree(RegistryKey parentKey, std::u16string& keyPath,
                               std::u16string& text) {
    const std::size_t nameStart = keyPath.rfind(u'\\') + 1;  // 0 when keyPath is a single name
    const OpenedKey key(m_registry, parentKey, keyPath.c_str() + nameStart);
    if (!key || !AppendKey(key.get(), keyPath, text)) {
        return false;
    }
    // Enumerated until the registry says there is no more: a failed count must not hide a subkey
    // that the deletion would then remove unsaved.
    for (std::uint32_t index = 0;; ++index) {
        const RegistryStatus status =
            m_registry.EnumerateSubkey(key.get(), index, m_childName.data(), kNameCapacity);
        if (status == kRegistryNoMoreItems) {
            return true;
        }
        if (status != kRegistrySuccess) {
            return false;
        }
        const KeyPathExtension child(keyPath, m_childName.data());
        if (!AppendTree(key.get(), keyPath, text)) {
            return false;
        }
    }
}

bool KeyTreeExport::AppendKey(RegistryKey key, const std::u16string& keyPath,
                              std::u16string& text) {
    if (!AppendRegKeyLine(text, keyPath)) {
        return false;
    }
    for (std::uint32_t index = 0;; ++index) {
        const RegistryStatus status = m_registry.EnumerateValue(key, index, m_value);
        if (status == kRegistryNoMoreItems) {
            return true;
        }
        if (status != kRegistrySuccess || !AppendRegValueLines(text, m_value)) {
            return false;
        }
    }
}

}  // namespace halvorn
