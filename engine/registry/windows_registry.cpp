#include "engine/registry/windows_registry.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>

// The native calls behind RegCreateKeyExW, RegDeleteKeyW and RegSetValueExW: these honour
// OBJ_OPENLINK, take a handle where those take a name, and store exactly the data given.
extern "C" {
NTSTATUS NTAPI NtCreateKey(PHANDLE key, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes, ULONG titleIndex,
                           PUNICODE_STRING keyClass, ULONG options, PULONG disposition);
NTSTATUS NTAPI NtDeleteKey(HANDLE key);
NTSTATUS NTAPI NtSetValueKey(HANDLE key, PUNICODE_STRING valueName, ULONG titleIndex, ULONG type, PVOID data,
                             ULONG dataSize);
}

namespace halvorn {

namespace {

constexpr NTSTATUS kStatusChildMustBeVolatile = static_cast<NTSTATUS>(0xC0000181);

HKEY ToHkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

// KEY_QUERY_VALUE in every one, so that IsLink can read the link's value.
ACCESS_MASK AccessMask(SubkeyAccess access) {
    switch (access) {
    case SubkeyAccess::Read:
        return KEY_READ;
    case SubkeyAccess::ReadAndDelete:
        return KEY_READ | DELETE;
    case SubkeyAccess::AddSubkeys:
        return KEY_QUERY_VALUE | KEY_CREATE_SUB_KEY;
    case SubkeyAccess::Create:
        break;
    }
    return KEY_QUERY_VALUE | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
}

// RegCreateKeyExW documents no way to open an existing link as itself: the native call takes
// OBJ_OPENLINK, as RegOpenKeyExW's REG_OPTION_OPEN_LINK does. newKey tells whether it made the key.
LSTATUS CreateSubkey(HKEY parent, std::wstring& name, HKEY& created, bool& newKey) {
    UNICODE_STRING unicodeName{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                               static_cast<USHORT>(name.size() * sizeof(wchar_t)), name.data()};
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &unicodeName, OBJ_CASE_INSENSITIVE | OBJ_OPENLINK, parent, nullptr);
    HANDLE key = nullptr;
    ULONG disposition = 0;
    const ACCESS_MASK access = AccessMask(SubkeyAccess::Create);
    NTSTATUS status = NtCreateKey(&key, access, &attributes, 0, nullptr, REG_OPTION_NON_VOLATILE, &disposition);
    if (status == kStatusChildMustBeVolatile) {
        // Below a key that lives only until the next start, every key does, as the deleted ones did.
        status = NtCreateKey(&key, access, &attributes, 0, nullptr, REG_OPTION_VOLATILE, &disposition);
    }
    created = status >= 0 ? static_cast<HKEY>(key) : nullptr;
    newKey = status >= 0 && disposition == REG_CREATED_NEW_KEY;
    return status >= 0 ? ERROR_SUCCESS : static_cast<LSTATUS>(RtlNtStatusToDosError(status));
}

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

RegistryStatus WindowsRegistry::OpenSubkey(RegistryKey parent, const char16_t* name, SubkeyAccess access,
                                           RegistryKey& opened) {
    opened = 0;
    Widen(name);
    if (m_path.empty() || m_path.find(L'\\') != std::wstring::npos) {
        return ERROR_INVALID_NAME;
    }
    HKEY key = nullptr;
    bool newKey = false;
    const LSTATUS status = access == SubkeyAccess::Create
                               ? CreateSubkey(ToHkey(parent), m_path, key, newKey)
                               : RegOpenKeyExW(ToHkey(parent), m_path.c_str(), REG_OPTION_OPEN_LINK,
                                               AccessMask(access), &key);
    opened = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(key) : 0;
    if (newKey) {
        m_newKeys.push_back(opened);
    }
    return status;
}

bool WindowsRegistry::IsLink(RegistryKey key) {
    // A key that this process has just made is none: a restore asks of every key that it writes.
    if (std::find(m_newKeys.begin(), m_newKeys.end(), key) != m_newKeys.end()) {
        return false;
    }
    DWORD type = REG_NONE;
    const LSTATUS status = RegQueryValueExW(ToHkey(key), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr);
    return (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) && type == REG_LINK;
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
    // RegSetValueExW adds a terminator to string data that lacks one wherever the character after
    // the data in memory happens to be NUL, so it reads past the data and can store two more
    // bytes: the native call stores the bytes given, as the backup holds them.
    Widen(value.name.c_str());
    const auto nameSize = static_cast<USHORT>(m_path.size() * sizeof(wchar_t));
    UNICODE_STRING name{nameSize, nameSize, m_path.data()};
    std::uint8_t none = 0;
    void* data = value.data.empty() ? &none : const_cast<std::uint8_t*>(value.data.data());
    const NTSTATUS status =
        NtSetValueKey(ToHkey(key), &name, 0, value.type, data, static_cast<ULONG>(value.data.size()));
    return status >= 0 ? ERROR_SUCCESS : static_cast<RegistryStatus>(RtlNtStatusToDosError(status));
}

RegistryStatus WindowsRegistry::DeleteOpenedKey(RegistryKey key) {
    const NTSTATUS status = NtDeleteKey(ToHkey(key));
    return status >= 0 ? ERROR_SUCCESS : static_cast<RegistryStatus>(RtlNtStatusToDosError(status));
}

void WindowsRegistry::CloseKey(RegistryKey key) {
    std::erase(m_newKeys, key);
    RegCloseKey(ToHkey(key));
}

}  // namespace halvorn
