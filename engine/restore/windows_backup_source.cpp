#include "engine/restore/windows_backup_source.h"

#include "log/windows_handles.h"
#include "log/windows_text.h"
#include "log/windows_private_file.h"

namespace halvorn {

namespace {

// Far more than the trees of any repair (20,000 keys take some 10 MB), and little enough that a
// 32-bit process always finds room for the whole file and the tree in hand beside it.
constexpr LONGLONG kLargestBackup = 64LL << 20;

// The path as CreateFileW would make it full, from the current folder (which may be a share) where
// it is relative; as it is when that fails, and DriveOfPath then refuses it.
std::u16string FullPath(const std::u16string& path) {
    const std::wstring given = ToWide(path);
    const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed == 0 ? 0 : GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    return FromWide(std::wstring_view(full).substr(0, length));
}

// Why the restore does not open the file at path, the full path: empty when it lies on a local drive.
std::u16string_view WhyNotOnALocalDrive(const std::u16string& path) {
    const PathDrive drive = DriveOfPath(path);
    if (!drive.whyNot.empty()) {
        return drive.whyNot;
    }
    switch (GetDriveTypeW(ToWide(drive.root).c_str())) {
    case DRIVE_REMOTE:
        return kOnAnotherComputer;
    case DRIVE_UNKNOWN:
    case DRIVE_NO_ROOT_DIR:
        return u"its drive does not exist";
    default:
        return {};  // fixed, removable, optical or a RAM disk, as Windows PE's own drive is
    }
}

}  // namespace

std::vector<std::u16string> WindowsBackupSource::BackupNames(const std::u16string& directory) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found{};
    const FindHandle search(FindFirstFileExW(ToWide(directory + u"Brimwell*.reg").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        return names;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(FromWide(found.cFileName));
        }
    } while (FindNextFileW(search.get(), &found));
    return names;
}

BackupRead WindowsBackupSource::Read(const std::u16string& path) {
    const std::u16string full = FullPath(path);
    if (const std::u16string_view notLocal = WhyNotOnALocalDrive(full); !notLocal.empty()) {
        return {BackupReading::Unreadable, {}, notLocal};
    }
    // Readers only may share it: nobody can change the file between the judgement and the last byte.
    const KernelHandle file(CreateFileW(ToWide(full).c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN | kIdentifyOnly,
                                        nullptr));
    if (!file) {
        switch (GetLastError()) {
        case ERROR_SHARING_VIOLATION:
            return {BackupReading::Unreadable, {}, u"another program has it open for writing"};
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return {BackupReading::Unreadable, {}, u"it does not exist"};
        default:
            return {BackupReading::Unreadable, {}, u"it cannot be opened"};
        }
    }
    BackupRead backup{BackupReading::Read, {}, {}, DescribeFile(file.get()), WritersOf(file.get())};
    // A pipe or a device could feed the restore without end, and a link opened as itself holds nothing.
    if (const std::u16string_view notPlain = WhyNotAPlainFile(backup.file); !notPlain.empty()) {
        return {BackupReading::Untrusted, {}, notPlain};
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestBackup) {
        return {BackupReading::Unreadable, {}, u"it is larger than any backup"};
    }
    backup.bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), backup.bytes.data(), static_cast<DWORD>(backup.bytes.size()), &read, nullptr) ||
        read != backup.bytes.size()) {
        return {BackupReading::Unreadable, {}, u"it cannot be read"};
    }
    return backup;
}

}  // namespace halvorn
