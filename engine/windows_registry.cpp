#include "engine/windows_registry.h"

#include <windows.h>

#include <algorithm>

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
    if (status != ERROR_SUCCESS) {
        return status;
    }
    // On success length counts the name without its terminator, which fits the capacity.
    if (std::find(m_name.begin(), m_name.begin() + length, L'\0') != m_name.begin() + length) {
        return ERROR_INVALID_NAME;
    }
    std::copy(m_name.begin(), m_name.begin() + length, name);
    name[length] = u'\0';
    return status;
}

RegistryStatus WindowsRegistry::EnumerateValue(RegistryKey key, std::uint32_t index,
                                               RegistryValue& value) {
    // A value can grow between the size query and the read, so a few rounds are allowed.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD nameLength = static_cast<DWORD>(m_valueName.size());
        DWORD dataSize = static_cast<DWORD>(m_valueData.size());
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(ToHkey(key), index, m_valueName.data(), &nameLength,
                                             nullptr, &type, m_valueData.data(), &dataSize);
        if (status == ERROR_SUCCESS) {
            value.name.assign(m_valueName.begin(), m_valueName.begin() + nameLength);
            value.type = type;
            value.data.assign(m_valueData.begin(), m_valueData.begin() + dataSize);
            return status;
        }
        if (status != ERROR_MORE_DATA) {
            return status;
        }
        // ERROR_MORE_DATA does not say which buffer was short: size both for the key's largest.
        DWORD longestName = 0;
        DWORD largestData = 0;
        if (RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, &longestName, &largestData, nullptr, nullptr) != ERROR_SUCCESS) {
            return status;
        }
        m_valueName.resize(std::max<std::size_t>(m_valueName.size(), longestName + 1u));
        m_valueData.resize(std::max<std::size_t>(m_valueData.size() * 2, largestData));
    }
    return ERROR_MORE_DATA;
}

RegistryStatus WindowsRegistry::CreateKey(RegistryKey parent, const char16_t* path, RegistryKey& opened) {
    HKEY key = nullptr;
    // A restore only adds: subkeys below the key and values in it.
    constexpr REGSAM kAccess = KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
    LSTATUS status = RegCreateKeyExW(ToHkey(parent), Widen(path), 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess,
                                     nullptr, &key, nullptr);
    if (status == ERROR_CHILD_MUST_BE_VOLATILE) {
        // Below a key that lives only until the next start, every key does, as the deleted ones did.
        status = RegCreateKeyExW(ToHkey(parent), m_path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, kAccess, nullptr,
                                 &key, nullptr);
    }
    opened = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(key) : 0;
    return status;
}

RegistryStatus WindowsRegistry::SetValue(RegistryKey key, const RegistryValue& value) {
    return RegSetValueExW(ToHkey(key), Widen(value.name.c_str()), 0, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size()));
}

RegistryStatus WindowsRegistry::DeleteKey(RegistryKey parent, const char16_t* path) {
    return RegDeleteKeyW(ToHkey(parent), Widen(path));
}

void WindowsRegistry::CloseKey(RegistryKey key) { RegCloseKey(ToHkey(key)); }

}  // namespace halvorn
