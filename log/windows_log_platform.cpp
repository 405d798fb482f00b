#include "log/windows_log_platform.h"
#include "log/windows_text.h"

#include <string>

namespace halvorn {

namespace {

using TemporaryPathQuery = DWORD(WINAPI*)(DWORD, LPWSTR);

// GetTempPath2W gives the system account C:\Windows\SystemTemp, which only it and Administrators
// can open, and every other account what GetTempPathW gives. Windows 11, Server 2022 and the 2025
// updates of Windows 10, Server 2019 and 2016 have it; older systems do not, so it is looked up.
TemporaryPathQuery FindTemporaryPathQuery() {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const FARPROC found = kernel32 != nullptr ? GetProcAddress(kernel32, "GetTempPath2W") : nullptr;
    if (found == nullptr) {
        return GetTempPathW;
    }
    return reinterpret_cast<TemporaryPathQuery>(reinterpret_cast<void (*)()>(found));
}

// The folder that query names, with its trailing separator; empty when it cannot be read.
std::wstring TemporaryPath(TemporaryPathQuery query) {
    const DWORD needed = query(0, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring directory(needed, L'\0');
    const DWORD length = query(needed, directory.data());
    if (length == 0 || length >= needed) {
        return {};
    }
    directory.resize(length);
    return directory;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// The digest of every byte of the file, read from its start.
bool HashWhole(HANDLE file, Sha256& content) {
    constexpr DWORD kChunk = 1 << 20;
    std::string chunk(kChunk, '\0');
    DWORD read = 0;
    if (!SetFilePointerEx(file, {}, nullptr, FILE_BEGIN)) {
        return false;
    }
    do {
        if (!ReadFile(file, chunk.data(), kChunk, &read, nullptr)) {
            return false;
        }
        content.Add(std::string_view(chunk.data(), read));
    } while (read != 0);
    return true;
}

// Writes at the end of the file, whose bytes content covers, and has it on the disk; on failure
// cuts the file back to the length it had.
AppendResult AppendDurablyOrRestoreLength(HANDLE file, std::string_view newFileStart, std::string_view bytes,
                                          Sha256& content) {
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file, &length) || !SetFilePointerEx(file, length, nullptr, FILE_BEGIN)) {
        return AppendResult::Failed;
    }
    // Another length means another writer since the run's last append: the file is no longer its own.
    if (static_cast<std::uint64_t>(length.QuadPart) != content.Length()) {
        return AppendResult::Untrusted;
    }
    if ((length.QuadPart != 0 || WriteAll(file, newFileStart)) && WriteAll(file, bytes) &&
        FlushFileBuffers(file)) {
        if (length.QuadPart == 0) {
            content.Add(newFileStart);
        }
        content.Add(bytes);
        return AppendResult::Written;
    }
    SetFilePointerEx(file, length, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    return AppendResult::Failed;
}

}  // namespace

std::u16string WindowsLogPlatform::TemporaryDirectory() {
    static const TemporaryPathQuery query = FindTemporaryPathQuery();
    std::wstring directory = TemporaryPath(query);
    // GetTempPath2W names SystemTemp for the system account without looking whether it exists, and a
    // partly serviced Windows or a customised Windows PE may lack it.
    const DWORD attributes = GetFileAttributesW(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        directory = TemporaryPath(GetTempPathW);
    }
    return FromWide(directory);
}

LocalTime WindowsLogPlatform::Now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

NameHolder WindowsLogPlatform::WhatHolds(const std::u16string& path) {
    return m_opener.WhatHolds(ToWide(path));
}

AppendResult WindowsLogPlatform::AppendToFile(const std::u16string& path, std::string_view bytes,
                                              WrittenFile& written) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA makes every write go to the current end of the file.
    const PrivateFile file = m_opener.Open(ToWide(path),
                                           {FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE}, written);
    if (!file.handle) {
        return file.failure;
    }
    return WriteAll(file.handle.get(), bytes) ? AppendResult::Written : AppendResult::Failed;
}

AppendResult WindowsLogPlatform::AppendWhole(const std::u16string& path, std::string_view newFileStart,
                                             std::string_view bytes, WrittenFile& written, Sha256& content,
                                             const std::optional<Sha256Digest>& recorded) {
    const bool firstWrite = !written;
    // Readers are let in; a second writer could interleave with the record or see it cut back.
    const PrivateFile file = m_opener.Open(ToWide(path),
                                           {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, true}, written);
    if (!file.handle) {
        return file.failure;
    }
    if (firstWrite && !file.created) {
        // Hashed through the handle that writes, which shuts other writers out until it closes.
        Sha256 found;
        if (!HashWhole(file.handle.get(), found)) {
            written.reset();
            return AppendResult::Failed;
        }
        if (!recorded || found.Digest() != *recorded) {
            written.reset();
            return AppendResult::Untrusted;
        }
        content = found;
    }
    const AppendResult result = AppendDurablyOrRestoreLength(file.handle.get(), newFileStart, bytes, content);
    if (result == AppendResult::Written) {
        return result;
    }
    if (file.created) {
        // Removed through the handle that made it, when the handle closes.
        FILE_DISPOSITION_INFO removal{TRUE};
        SetFileInformationByHandle(file.handle.get(), FileDispositionInfo, &removal, sizeof(removal));
    }
    return result;
}

void WindowsLogPlatform::Pause(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace halvorn
