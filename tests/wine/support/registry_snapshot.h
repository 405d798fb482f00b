#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/registry/registry.h"
#include "log/windows_text.h"

namespace halvorn::testing {

// One key as the registry holds it: its path and every value, in enumeration order.
struct KeySnapshot {
    std::wstring path;
    std::vector<RegistryValue> values;

    bool operator==(const KeySnapshot&) const = default;
};

inline void SnapshotKey(HKEY key, const std::wstring& path, std::vector<KeySnapshot>& keys) {
    KeySnapshot snapshot{path, {}};
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 20);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS) {
            break;
        }
        snapshot.values.push_back({FromWide(std::wstring_view(name.data(), nameLength)), type,
                                   std::vector<std::uint8_t>(data.begin(), data.begin() + dataSize)});
    }
    keys.push_back(std::move(snapshot));
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name.data(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
            SnapshotKey(child, path + L"\\" + std::wstring(name.data(), nameLength), keys);
            RegCloseKey(child);
        }
    }
}

// The key at path below HKEY_LOCAL_MACHINE and every key below it, depth first; empty when the
// key does not exist.
inline std::vector<KeySnapshot> SnapshotTree(const std::wstring& path) {
    std::vector<KeySnapshot> keys;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        SnapshotKey(key, path, keys);
        RegCloseKey(key);
    }
    return keys;
}

}  // namespace halvorn::testing
