#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/registry.h"

namespace halvorn {

// Reads a key with everything below it into registry editor export text: a key line and its
// values for each key, depth first in enumeration order, as "reg export" lists a tree.
class KeyTreeExport {
public:
    // Capacity, terminator included, of the buffer for subkey names: registry key names have at
    // most 255 characters.
    static constexpr std::uint32_t kNameCapacity = 256;

    explicit KeyTreeExport(Registry& registry) : m_registry(registry) {}

    // Appends the tree of the key whose name ends keyPath (a path relative to HKEY_LOCAL_MACHINE)
    // and which is an immediate subkey of parentKey. keyPath holds its entry value again on
    // return. False when a key or a value of the tree cannot be read, or a key or a value cannot be
    // written as a line: the text then lacks part of the tree.
    bool AppendTree(RegistryKey parentKey, std::u16string& keyPath, std::u16string& text);

private:
    bool AppendKey(RegistryKey key, const std::u16string& keyPath, std::u16string& text);

    Registry& m_registry;
    RegistryValue m_value;
    std::array<char16_t, kNameCapacity> m_childName{};
};

}  // namespace halvorn
