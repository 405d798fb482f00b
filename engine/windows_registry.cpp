#include "engine/windows_registry.h"

#include <windows.h>

namespace halvorn {

namespace {

HKEY ToHkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

const wchar_t* WindowsRegistry::Widen(const char16_t* text) {
    m_path.clear();
    for (; *text != u'\0'; ++text) {
        m_path.push_back(static_cast<wchar_t>(*text));
    }
    return m_path.c_str();
}

RegistryKey WindowsRegistry::LocalMachine() const {
    return reinterpret_cast<RegistryKey>(HKEY_LOCAL_MACHINE);
}

RegistryStatus WindowsRegistry::OpenKey(RegistryKey parent, const char16_t* path,
                                        RegistryKey& opened) {
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyExW(ToHkey(parent), Widen(path), 0, KEY_READ, &key);
    opened = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(key) : 0;
    return status;
}

std::uint32_t WindowsRegistry::QuerySubkeyCount(RegistryKey key) {
    DWORD subkeyCount = 0;
    DWORD longestName = 0;
    // The result is not checked: a failed query leaves the count at 0.
    RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, &subkeyCount, &longestName, nullptr,
                     nullptr, nullptr, nullptr, nullptr, nullptr);
    return subkeyCount;
}

RegistryStatus WindowsRegistry::EnumerateSubkey(RegistryKey key, std::uint32_t index,
                                                char16_t* name, std::uint32_t capacity) {
    m_name.resize(capacity);
    DWORD length = capacity;
    const LSTATUS status = RegEnumKeyExW(ToHkey(key), index, m_name.data(), &length, nullptr,
                                         nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) {
        // On success length counts the name without its terminator, which fits the capacity.
        for (DWORD i = 0; i < length; ++i) {
            name[i] = static_cast<char16_t>(m_name[i]);
        }
        name[length] = u'\0';
    }
    return status;
}

RegistryStatus WindowsRegistry::DeleteKey(RegistryKey parent, const char16_t* path) {
    return RegDeleteKeyW(ToHkey(parent), Widen(path));
}

void WindowsRegistry::CloseKey(RegistryKey key) { RegCloseKey(ToHkey(key)); }

}  // namespace halvorn
