#include "tests/wine/child_process.h"

#include <gtest/gtest.h>

namespace halvorn::testing {

ChildProcess::ChildProcess(std::wstring commandLine, HANDLE token) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const BOOL started =
        token != nullptr
            ? CreateProcessAsUserW(token, nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process)
            : CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process);
    if (started) {
        CloseHandle(process.hThread);
        m_process = process.hProcess;
    }
}

ChildProcess::~ChildProcess() {
    if (m_process != nullptr) {
        if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process, 99);
            WaitForSingleObject(m_process, 10000);
        }
        CloseHandle(m_process);
    }
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (m_process == nullptr || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD exitCode = ~0u;
    GetExitCodeProcess(m_process, &exitCode);
    return exitCode;
}

DWORD RunProcess(std::wstring commandLine, HANDLE token) {
    ChildProcess process(std::move(commandLine), token);
    EXPECT_TRUE(process.Started()) << "the program did not start: " << GetLastError();
    const std::optional<DWORD> exitCode = process.WaitForExit(60000);
    EXPECT_TRUE(exitCode) << "the program did not end within a minute";
    return exitCode.value_or(~0u);
}

}  // namespace halvorn::testing
