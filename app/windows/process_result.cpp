#include "app/windows/process_result.h"

#include <windows.h>

#include <optional>

#include "app/windows/process_log.h"
#include "app/windows/standard_output.h"
#include "engine/options/command_line_arguments.h"
#include "log/windows_private_file.h"
#include "log/windows_text.h"
#include "log/windows_whole_file.h"

namespace halvorn {

namespace {

UtcTime UtcNow() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::u16string ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? FromWide(std::wstring_view(name, size)) : std::u16string();
}

// "DOMAIN\name" of the account, or empty where Windows cannot name it.
std::u16string AccountName(const SecurityId& account) {
    if (account.empty()) {
        return {};
    }
    PSID sid = const_cast<std::uint8_t*>(account.data());
    DWORD nameSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use{};
    LookupAccountSidW(nullptr, sid, nullptr, &nameSize, nullptr, &domainSize, &use);
    if (nameSize == 0) {
        return {};
    }
    std::wstring name(nameSize, L'\0');
    std::wstring domain(domainSize, L'\0');
    if (!LookupAccountSidW(nullptr, sid, name.data(), &nameSize, domain.data(), &domainSize, &use)) {
        return {};
    }
    name.resize(nameSize);
    domain.resize(domainSize);
    return FromWide(domain.empty() ? name : domain + L"\\" + name);
}

// A result file named without a folder goes beside the log.
std::u16string ResultPath(const std::u16string& file) {
    return file.find_first_of(u"\\/:") == std::u16string::npos ? RunFolder() + file : file;
}

// The result file, whole; a result that cannot be written leaves the repair as it is, and the log
// says why.
bool WriteResultFile(const RunResult& result) {
    const std::optional<std::string> json = RunResultJson(result);
    if (!json) {
        return true;  // the help changes nothing, and has no result
    }
    const std::u16string path = ResultPath(result.options.resultFile);
    PrivateFileOpener opener;
    const std::u16string why = WriteFileWhole(path, *json, opener);
    if (!why.empty()) {
        ProcessLog().WriteLine(u"The result could not be written to %s: %s.", path, why);
    }
    return why.empty();
}

}  // namespace

RunResult& ProcessResult() {
    static RunResult result;
    return result;
}

void BeginProcessResult(std::u16string_view commandLine) {
    RunResult& result = ProcessResult();
    result.started = UtcNow();
    result.computer = ComputerName();
    result.account = AccountName(PrivateFileOpener().RunningAccount());
    for (CommandLineArgument& argument : SplitCommandLine(commandLine)) {
        result.arguments.push_back(std::move(argument.text));
    }
}

int EndProcessResult(const RunOutcome& outcome, const RunOptions& options) {
    RunResult& result = ProcessResult();
    result.outcome = outcome;
    result.options = options;
    result.finished = UtcNow();
    result.files = WrittenFiles();
    if (!options.resultFile.empty()) {
        result.resultLost = !WriteResultFile(result);
        if (result.resultLost) {
            result.files = WrittenFiles();  // the log now says why, also where it held nothing before
        }
    }
    if (const std::optional<std::string> line = StandardOutputLine(result)) {
        WriteStandardOutputBytes(*line + "\r\n");
    }
    return ProcessExitCode(result);
}

}  // namespace halvorn
