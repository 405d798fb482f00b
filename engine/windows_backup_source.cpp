#include "engine/windows_backup_source.h"

#include <memory>

#include "log/windows_log_platform.h"

namespace halvorn {

namespace {

// Far more than the trees of any repair: the whole file is read into memory, also in a 32-bit process.
constexpr LONGLONG kLargestBackup = 256LL << 20;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

struct FindClosing {
    void operator()(HANDLE search) const { FindClose(search); }
};

}  // namespace

std::u16string WindowsBackupSource::RunDirectory() { return WindowsLogPlatform().TemporaryDirectory(); }

std::vector<std::u16string> WindowsBackupSource::BackupNames(const std::u16string& directory) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE first = FindFirstFileExW(Wide(directory + u"Brimwell*.reg").c_str(), FindExInfoBasic, &found,
                                          FindExSearchNameMatch, nullptr, 0);
    if (first == INVALID_HANDLE_VALUE) {
        return names;
    }
    const std::unique_ptr<void, FindClosing> search(first);
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            const std::wstring_view name = found.cFileName;
            names.emplace_back(name.begin(), name.end());
        }
    } while (FindNextFileW(search.get(), &found));
    return names;
}

BackupRead WindowsBackupSource::Read(const std::u16string& path) {
    // Readers only may share it: nobody can change the file between the judgement and the last byte.
    const KernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN,
                                        nullptr));
    if (!file) {
        return {BackupReading::Unreadable, {},
                GetLastError() == ERROR_SHARING_VIOLATION ? u"another program has it open for writing"
                                                          : u"it cannot be opened"};
    }
    const std::u16string_view why =
        WhyNotToRestoreFrom(DescribeFile(file.get()), WritersOf(file.get()), m_opener.RunningAccount());
    if (!why.empty()) {
        return {BackupReading::Untrusted, {}, why};
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestBackup) {
        return {BackupReading::Unreadable, {}, u"it is larger than any backup"};
    }
    BackupRead backup{BackupReading::Read, std::string(static_cast<std::size_t>(size.QuadPart), '\0'), {}};
    DWORD read = 0;
    if (!ReadFile(file.get(), backup.bytes.data(), static_cast<DWORD>(backup.bytes.size()), &read, nullptr) ||
        read != backup.bytes.size()) {
        return {BackupReading::Unreadable, {}, u"it cannot be read"};
    }
    return backup;
}

}  // namespace halvorn
