#include "log/windows_log_folder.h"

#include <windows.h>

#include "log/file_trust.h"
#include "log/text_format.h"
#include "log/windows_handles.h"
#include "log/windows_private_file.h"
#include "log/windows_text.h"

namespace halvorn {

std::u16string WhyNotALogFolderAt(const std::u16string& path, const SecurityId& runningAccount) {
    const PathDrive drive = DriveOfPath(path);
    if (!drive.whyNot.empty()) {
        return std::u16string(drive.whyNot);
    }
    const KernelHandle folder = OpenForJudging(ToWide(path));
    if (!folder) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? u"it does not exist"
                   : FormatText(u"it cannot be opened (error %d)", {static_cast<std::int32_t>(error)});
    }
    const bool localFixedDisk = GetDriveTypeW(ToWide(drive.root).c_str()) == DRIVE_FIXED;
    return std::u16string(
        WhyNotALogFolder(DescribeFile(folder.get()), WritersOf(folder.get()), localFixedDisk, runningAccount));
}

}  // namespace halvorn
