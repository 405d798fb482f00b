#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/backup/key_tree_outcome.h"
#include "engine/registry/registry.h"

namespace halvorn {

// Reads a key with everything below it into registry editor export text: a key line and its
// values for each key, depth first in enumeration order, as "reg export" lists a tree.
class KeyTreeExport {
public:
    // Capacity, terminator included, of the buffer for subkey names: registry key names have at
    // most 255 characters.
    static constexpr std::uint32_t kNameCapacity = 256;

    explicit KeyTreeExport(Registry& registry) : m_registry(registry) {}

    // Appends the tree of key, open and not a link, whose path relative to HKEY_LOCAL_MACHINE is
    // keyPath; every key below it is opened from its parent's handle, never through a link. keyPath
    // holds its entry value again on return. Anything but Whole leaves the text without part of
    // the tree: a key or a value could not be read or written as a line, or a key is a link.
    KeyTreeOutcome AppendTree(RegistryKey key, std::u16string& keyPath, std::u16string& text);

private:
    KeyTreeOutcome AppendKey(RegistryKey key, const std::u16string& keyPath, std::u16string& text);

    Registry& m_registry;
    RegistryValue m_value;
    std::array<char16_t, kNameCapacity> m_childName{};
};

}  // namespace halvorn
