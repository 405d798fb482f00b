#include "tests/wine/support/child_process.h"

#include <gtest/gtest.h>

#include "log/windows_handles.h"

namespace halvorn::testing {

ChildProcess::ChildProcess(std::wstring commandLine, HANDLE token, HANDLE standardOutput) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    const BOOL inherit = standardOutput != nullptr;
    if (inherit) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = standardOutput;
    }
    PROCESS_INFORMATION process{};
    const BOOL started =
        token != nullptr
            ? CreateProcessAsUserW(token, nullptr, commandLine.data(), nullptr, nullptr, inherit, 0, nullptr, nullptr,
                                   &startup, &process)
            : CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, inherit, 0, nullptr, nullptr, &startup,
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

DWORD RunProcessReadingOutput(std::wstring commandLine, std::string& output) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    KernelHandle reader;
    KernelHandle writer;
    // Room for all that the child writes, so that it ends before this process reads.
    EXPECT_TRUE(CreatePipe(reader.put(), writer.put(), &inheritable, 1 << 16));
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    std::optional<DWORD> exitCode;
    {
        ChildProcess process(std::move(commandLine), nullptr, writer.get());
        writer.reset();  // the pipe ends once the child's copy is closed
        EXPECT_TRUE(process.Started()) << "the program did not start: " << GetLastError();
        exitCode = process.WaitForExit(60000);
    }
    EXPECT_TRUE(exitCode) << "the program did not end within a minute";
    output.clear();
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(reader.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        output.append(buffer, read);
    }
    return exitCode.value_or(~0u);
}

}  // namespace halvorn::testing
