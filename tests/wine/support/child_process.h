#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace halvorn::testing {

// A program started as a process of its own, with this process's token or with the token given.
// Ended by force when the object goes while it still runs, so that a test failing part-way leaves
// nothing behind.
class ChildProcess {
public:
    // With standardOutput (an inheritable handle), the child gets it as its standard output.
    explicit ChildProcess(std::wstring commandLine, HANDLE token = nullptr, HANDLE standardOutput = nullptr);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    // The exit code once the process has ended, or nothing when it still runs after timeoutMs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);

private:
    HANDLE m_process = nullptr;
};

// Runs commandLine to its end and returns its exit code; a failure to start or to end within a
// minute fails the test.
DWORD RunProcess(std::wstring commandLine, HANDLE token = nullptr);

// Runs commandLine to its end with a pipe as its standard output, as a deployment agent does, and
// returns its exit code; output gets what it wrote there.
DWORD RunProcessReadingOutput(std::wstring commandLine, std::string& output);

// Wine's own reg.exe, the reference for the export format: "export KEY FILE /y", "import FILE".
inline DWORD RunReg(const std::wstring& arguments) { return RunProcess(L"reg.exe " + arguments); }

}  // namespace halvorn::testing
