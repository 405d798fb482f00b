#pragma once

#include <string>
#include <vector>

#include "tests/wine/support/child_process.h"

namespace halvorn::testing {

// The program under test, by its path on the Linux side, which Wine shows as drive Z:.
std::wstring ProgramPath();

// The program started with arguments.
class ProgramProcess : public ChildProcess {
public:
    explicit ProgramProcess(const std::wstring& arguments) : ChildProcess(L"\"" + ProgramPath() + L"\" " + arguments) {}
};

// Runs the program with arguments from a Unix shell, with Wine's trace of ReportEventW on, and
// returns that trace: Wine writes it to the Unix standard error of the process, which the handle
// given to a child as its standard error does not reach.
std::string RunTracingEvents(const std::wstring& arguments);

// The names of the program's log files and backups in the temporary directory.
std::vector<std::wstring> LogFiles();
std::vector<std::wstring> BackupFiles();
// The names, without their extensions, that a run started in this second or in one of the next
// seconds would give its files.
std::vector<std::wstring> RunFileNamesAhead(int seconds);

// Hands the files to another account, as if another user had made them: Wine shows the owner of
// the Unix file. False where this process may not change owners (it does not run as root).
bool GiveToAnotherAccount(const std::vector<std::wstring>& paths);

// Removes both, and the record of the backups, so that a test sees only the files of its own runs.
void DeleteRunFiles();

// The lines after the header of the only log file, whose name must follow the log's pattern; a
// missing or second log fails the test.
std::vector<std::string> OnlyLogLines();

}  // namespace halvorn::testing
