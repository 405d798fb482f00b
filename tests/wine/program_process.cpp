#include "tests/wine/program_process.h"

#include <algorithm>

namespace halvorn::testing {

std::wstring ProgramPath() {
    std::wstring path = L"Z:" HALVORN_PROGRAM_PATH;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring TemporaryDirectory() {
    wchar_t directory[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
    return std::wstring(directory, length);
}

std::vector<std::wstring> LogFiles() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((TemporaryDirectory() + L"Brimwell*.log").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.emplace_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return names;
}

void DeleteLogFiles() {
    for (const std::wstring& name : LogFiles()) {
        DeleteFileW((TemporaryDirectory() + name).c_str());
    }
}

ProgramProcess::ProgramProcess(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + ProgramPath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        m_process = process.hProcess;
    }
}

ProgramProcess::~ProgramProcess() {
    if (m_process != nullptr) {
        if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process, 99);
            WaitForSingleObject(m_process, 10000);
        }
        CloseHandle(m_process);
    }
}

std::optional<DWORD> ProgramProcess::WaitForExit(DWORD timeoutMs) {
    if (m_process == nullptr || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD exitCode = ~0u;
    GetExitCodeProcess(m_process, &exitCode);
    return exitCode;
}

}  // namespace halvorn::testing
