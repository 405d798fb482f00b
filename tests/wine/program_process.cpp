#include "tests/wine/program_process.h"

#include <windows.h>

#include <algorithm>

#include "tests/wine/wine_support.h"

namespace halvorn::testing {

std::wstring ProgramPath() {
    std::wstring path = L"Z:" HALVORN_PROGRAM_PATH;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::vector<std::wstring> LogFiles() { return TemporaryFiles(L"Brimwell*.log"); }

std::vector<std::wstring> BackupFiles() { return TemporaryFiles(L"Brimwell*.reg"); }

void DeleteRunFiles() {
    for (const std::vector<std::wstring>& names : {LogFiles(), BackupFiles()}) {
        for (const std::wstring& name : names) {
            DeleteFileW((TemporaryDirectory() + name).c_str());
        }
    }
}

}  // namespace halvorn::testing
