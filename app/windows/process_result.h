#pragma once

#include <string>

#include "app/exit_code.h"
#include "app/run_result.h"

namespace halvorn {

// What this process's run came to, for the result file and standard output. The runs add the keys,
// trees and installations that they end with; start-up and the end of the process add the rest.
RunResult& ProcessResult();

// The start's facts: the time, the computer, the account, and the arguments as Windows splits them.
void BeginProcessResult(std::u16string_view commandLine);

// Ends the result with the outcome: writes the result file that the options name, whole, and the
// one line to standard output where the process has one. Gives the code that the process ends
// with, which tells of a result file that could not be written.
int EndProcessResult(const RunOutcome& outcome, const RunOptions& options);

}  // namespace halvorn
