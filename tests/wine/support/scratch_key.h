#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "log/windows_handles.h"

extern "C" {
NTSTATUS NTAPI NtDeleteKey(HANDLE key);
NTSTATUS NTAPI NtSetValueKey(HANDLE key, PUNICODE_STRING valueName, ULONG titleIndex, ULONG type, PVOID data,
                             ULONG dataSize);
}

namespace halvorn::testing {

// A key of the test's own below HKEY_LOCAL_MACHINE, made afresh and removed with its subtree at
// the end.
class ScratchKey {
public:
    explicit ScratchKey(const std::wstring& path) : m_path(path) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_path.c_str());
        Create(L"");
    }
    ~ScratchKey() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_path.c_str()); }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    // Its path relative to HKEY_LOCAL_MACHINE.
    const std::wstring& Path() const { return m_path; }

    // Creates the key at pathBelow (with every missing key above it); returns whether it worked.
    bool Create(const std::wstring& pathBelow) const {
        HKEY key = nullptr;
        const std::wstring full = pathBelow.empty() ? m_path : m_path + L"\\" + pathBelow;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }

    // Sets a value of the key at pathBelow, creating the key, to exactly the bytes given: RegSetValueExW
    // would add a terminator to a string without one where the memory after it holds a NUL.
    bool SetExactly(const std::wstring& pathBelow, const std::wstring& name, DWORD type,
                    const std::vector<std::uint8_t>& data) const {
        RegistryHandle key;
        const std::wstring full = pathBelow.empty() ? m_path : m_path + L"\\" + pathBelow;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        std::wstring valueName = name;
        const auto nameSize = static_cast<USHORT>(valueName.size() * sizeof(wchar_t));
        UNICODE_STRING unicodeName{nameSize, nameSize, valueName.data()};
        std::vector<std::uint8_t> bytes = data;
        bytes.reserve(1);
        return NtSetValueKey(key.get(), &unicodeName, 0, type, bytes.data(), static_cast<ULONG>(data.size())) >= 0;
    }

    // Every key below pathBelow, as paths relative to it, in enumeration order.
    std::vector<std::u16string> ListTree(const std::wstring& pathBelow) const {
        std::vector<std::u16string> paths;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (m_path + L"\\" + pathBelow).c_str(), 0, KEY_READ,
                          &key) == ERROR_SUCCESS) {
            List(key, u"", paths);
            RegCloseKey(key);
        }
        return paths;
    }

private:
    static void List(HKEY key, const std::u16string& at, std::vector<std::u16string>& paths) {
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            const std::u16string child(name, name + length);
            const std::u16string childPath = at.empty() ? child : at + u"\\" + child;
            paths.push_back(childPath);
            HKEY childKey = nullptr;
            if (RegOpenKeyExW(key, name, 0, KEY_READ, &childKey) == ERROR_SUCCESS) {
                List(childKey, childPath, paths);
                RegCloseKey(childKey);
            }
        }
    }

    std::wstring m_path;
};

// A registry link of the test's own at path, to target (both below HKEY_LOCAL_MACHINE), made as
// RegCreateKeyExW with REG_OPTION_CREATE_LINK and a REG_LINK "SymbolicLinkValue" make one, and
// removed as itself at the end: RegDeleteKeyW and RegDeleteTreeW would follow it.
class ScratchLink {
public:
    ScratchLink(const std::wstring& path, const std::wstring& target) : m_path(path) {
        RegistryHandle link;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.put(), nullptr) != ERROR_SUCCESS) {
            return;
        }
        const std::wstring absolute = L"\\Registry\\Machine\\" + target;
        m_made = RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK,
                                reinterpret_cast<const BYTE*>(absolute.c_str()),
                                static_cast<DWORD>(absolute.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~ScratchLink() {
        RegistryHandle link;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_path.c_str(), REG_OPTION_OPEN_LINK, DELETE, link.put()) == ERROR_SUCCESS) {
            NtDeleteKey(link.get());
        }
    }
    ScratchLink(const ScratchLink&) = delete;
    ScratchLink& operator=(const ScratchLink&) = delete;

    explicit operator bool() const { return m_made; }

private:
    std::wstring m_path;
    bool m_made = false;
};

}  // namespace halvorn::testing
