#include "log/windows_whole_file.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "log/file_trust.h"
#include "log/text_format.h"
#include "log/windows_text.h"

namespace halvorn {

namespace {

std::u16string ErrorText(std::u16string_view what, DWORD error) {
    return FormatText(u"%s (error %d)", {std::u16string(what), static_cast<std::int32_t>(error)});
}

// Why the file that holds path now may not be replaced; empty where none does or it may.
std::u16string WhyNotToReplaceAt(const std::wstring& path, PrivateFileOpener& opener) {
    const KernelHandle existing = OpenForJudging(path);
    if (!existing) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? std::u16string() : ErrorText(u"the file there cannot be judged", error);
    }
    const std::u16string_view why =
        WhyNotToReplace(DescribeFile(existing.get()), WritersOf(existing.get()), opener.RunningAccount());
    return why.empty() ? std::u16string() : u"the file there may not be replaced: " + std::u16string(why);
}

// Renames the open file to path, over a file there; both stay in their folder.
bool RenameOver(HANDLE file, const std::wstring& path) {
    const std::size_t nameBytes = path.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    path.copy(rename->FileName, path.size());
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

void RemoveOpenFile(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition));
}

}  // namespace

std::u16string WriteFileWhole(const std::u16string& path, std::string_view bytes, PrivateFileOpener& opener) {
    if (const PathDrive drive = DriveOfPath(path); !drive.whyNot.empty()) {
        return std::u16string(drive.whyNot);
    }
    const std::wstring target = ToWide(path);
    // A name of this process alone, which nobody else's file can be expected under.
    const std::wstring beside = ToWide(
        FormatText(u"%s.%d.new", {path, static_cast<std::int32_t>(GetCurrentProcessId())}));
    WrittenFile written;
    const PrivateFile file = opener.Open(beside, {GENERIC_WRITE, 0, true}, written);
    if (!file.handle || !file.created) {
        return ErrorText(u"no new file could be made beside it", GetLastError());
    }
    const HANDLE handle = file.handle.get();
    DWORD done = 0;
    const bool onDisk = bytes.size() <= MAXDWORD &&
                        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                        done == bytes.size() && FlushFileBuffers(handle);
    if (!onDisk) {
        const DWORD error = GetLastError();
        RemoveOpenFile(handle);
        return ErrorText(u"it could not be written", error);
    }
    if (std::u16string why = WhyNotToReplaceAt(target, opener); !why.empty()) {
        RemoveOpenFile(handle);
        return why;
    }
    if (!RenameOver(handle, target)) {
        const DWORD error = GetLastError();
        RemoveOpenFile(handle);
        return ErrorText(u"it could not take its name", error);
    }
    return {};
}

}  // namespace halvorn
