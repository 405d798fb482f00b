#include "log/windows_log_platform.h"

#include <windows.h>

#include <string>

namespace halvorn {

namespace {

// Owns a file handle.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() {
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    explicit operator bool() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Writes at the end of the file; on failure cuts the file back to the length it had.
bool AppendOrRestoreLength(HANDLE file, std::string_view newFileStart, std::string_view bytes) {
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file, &length) || !SetFilePointerEx(file, length, nullptr, FILE_BEGIN)) {
        return false;
    }
    if ((length.QuadPart != 0 || WriteAll(file, newFileStart)) && WriteAll(file, bytes)) {
        return true;
    }
    SetFilePointerEx(file, length, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    return false;
}

}  // namespace

std::u16string WindowsLogPlatform::TemporaryDirectory() {
    const DWORD needed = GetTempPathW(0, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring directory(needed, L'\0');
    const DWORD length = GetTempPathW(needed, directory.data());
    if (length == 0 || length >= needed) {
        return {};
    }
    return std::u16string(directory.begin(), directory.begin() + length);
}

LocalTime WindowsLogPlatform::Now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

bool WindowsLogPlatform::AppendToFile(const std::u16string& path, std::string_view bytes) {
    const std::wstring widePath(path.begin(), path.end());
    // FILE_APPEND_DATA alone makes every write go to the current end of the file.
    const FileHandle file(CreateFileW(widePath.c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    return WriteAll(file.get(), bytes);
}

bool WindowsLogPlatform::AppendWhole(const std::u16string& path, std::string_view newFileStart,
                                     std::string_view bytes) {
    const std::wstring widePath(path.begin(), path.end());
    bool created = false;
    bool appended = false;
    {
        // Readers are let in; a second writer could interleave with the record or see it cut back.
        const FileHandle file(CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return false;
        }
        // OPEN_ALWAYS reports an existing file through the last error, even on success.
        created = GetLastError() != ERROR_ALREADY_EXISTS;
        appended = AppendOrRestoreLength(file.get(), newFileStart, bytes);
    }
    if (!appended && created) {
        DeleteFileW(widePath.c_str());
    }
    return appended;
}

}  // namespace halvorn
