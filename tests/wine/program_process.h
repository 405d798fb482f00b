#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace halvorn::testing {

// The program under test, by its path on the Linux side, which Wine shows as drive Z:.
std::wstring ProgramPath();

// The temporary directory of this prefix's user, with its trailing separator.
std::wstring TemporaryDirectory();

// The names of the program's log files in the temporary directory.
std::vector<std::wstring> LogFiles();
void DeleteLogFiles();

// The real program, started as a process of its own with arguments. Ended by force when the
// object goes while it still runs, so that a test failing part-way leaves nothing behind.
class ProgramProcess {
public:
    explicit ProgramProcess(const std::wstring& arguments);
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    // The exit code once the program has ended, or nothing when it still runs after timeoutMs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);

private:
    HANDLE m_process = nullptr;
};

}  // namespace halvorn::testing
