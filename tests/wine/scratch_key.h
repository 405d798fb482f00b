#pragma once

#include <windows.h>

#include <string>
#include <vector>

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

}  // namespace halvorn::testing
