#pragma once

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "log/windows_text.h"

namespace halvorn::testing {

// The bytes of a file, or nothing when it cannot be read.
inline std::string ReadFile(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    return static_cast<bool>(file << bytes);
}

inline bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether the key at path (relative to HKEY_LOCAL_MACHINE) exists.
inline bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

inline std::wstring TemporaryDirectory() {
    wchar_t directory[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
    return std::wstring(directory, length);
}

// The names of the files in directory (which ends in a separator) that match pattern ("Brimwell*.log").
inline std::vector<std::wstring> FilesIn(const std::wstring& directory, const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((directory + pattern).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.emplace_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return names;
}

inline std::vector<std::wstring> TemporaryFiles(const std::wstring& pattern) {
    return FilesIn(TemporaryDirectory(), pattern);
}

// The Unix path of a Windows one, through Wine's own export; empty when there is none.
inline std::wstring UnixPath(const std::wstring& path) {
    using Convert = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unixPath = convert != nullptr ? convert(path.c_str()) : nullptr;
    if (unixPath == nullptr) {
        return {};
    }
    const std::wstring text(unixPath, unixPath + std::strlen(unixPath));
    HeapFree(GetProcessHeap(), 0, unixPath);
    return text;
}

// Runs a command of the Unix shell and returns its exit status, or -1 when it did not end within
// ten seconds. Wine starts a Unix program as it starts a Windows one, but gives no handle to wait
// on: the command leaves its status in a file.
inline int RunUnixCommand(const std::wstring& command) {
    const std::wstring status = TemporaryDirectory() + L"halvorn-unix-status.txt";
    DeleteFileW(status.c_str());
    std::wstring line = L"/bin/sh -c \"" + command + L"; echo $? > '" + UnixPath(status) + L"'\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return -1;
    }
    for (const HANDLE handle : {process.hProcess, process.hThread}) {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
    for (int waited = 0; waited < 1000 && ReadFile(status).empty(); ++waited) {
        Sleep(10);
    }
    const std::string text = ReadFile(status);
    DeleteFileW(status.c_str());
    return text.empty() ? -1 : std::stoi(text);
}

}  // namespace halvorn::testing
