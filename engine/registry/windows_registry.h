#pragma once

#include <string>
#include <vector>

#include "engine/registry/registry.h"

namespace halvorn {

// The system registry through ADVAPI32, and NTDLL where a key must be created or deleted through a
// handle that never followed a link. Text is copied between char16_t and wchar_t here, at the
// boundary. Used by one thread at a time: it reuses its conversion buffers.
class WindowsRegistry final : public Registry {
public:
    RegistryKey LocalMachine() const override;
    RegistryStatus OpenKey(RegistryKey parent, const char16_t* path, RegistryKey& opened) override;
    RegistryStatus OpenSubkey(RegistryKey parent, const char16_t* name, SubkeyAccess access,
                              RegistryKey& opened) override;
    bool IsLink(RegistryKey key) override;
    std::uint32_t QuerySubkeyCount(RegistryKey key) override;
    RegistryStatus EnumerateSubkey(RegistryKey key, std::uint32_t index, char16_t* name,
                                   std::uint32_t capacity) override;
    RegistryStatus EnumerateValue(RegistryKey key, std::uint32_t index,
                                  RegistryValue& value) override;
    RegistryStatus CreateKey(RegistryKey parent, const char16_t* path, RegistryKey& opened) override;
    RegistryStatus SetValue(RegistryKey key, const RegistryValue& value) override;
    RegistryStatus DeleteOpenedKey(RegistryKey key) override;
    void CloseKey(RegistryKey key) override;

private:
    const wchar_t* Widen(const char16_t* text);

    std::wstring m_path;
    std::vector<wchar_t> m_name;
    // Grown when a value does not fit; value names have at most 16,383 characters.
    std::vector<wchar_t> m_valueName = std::vector<wchar_t>(16384);
    std::vector<std::uint8_t> m_valueData = std::vector<std::uint8_t>(4096);
    // The open keys that OpenSubkey created: no link, since nobody else can have made them.
    std::vector<RegistryKey> m_newKeys;
};

}  // namespace halvorn
