#include "tests/wine/support/program_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <regex>

#include "tests/support/log_lines.h"
#include "tests/wine/support/wine_support.h"

namespace halvorn::testing {

std::wstring ProgramPath() {
    std::wstring path = L"Z:" HALVORN_PROGRAM_PATH;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::string RunTracingEvents(const std::wstring& arguments) {
    const std::wstring trace = TemporaryDirectory() + L"halvorn-event-trace.txt";
    // Wine names its loader in the environment of its Windows processes, but not of a Unix one.
    wchar_t loader[MAX_PATH] = {};
    GetEnvironmentVariableW(L"WINELOADER", loader, MAX_PATH);
    EXPECT_NE(RunUnixCommand(L"WINEDEBUG=+eventlog '" + std::wstring(loader) + L"' '" + UnixPath(ProgramPath()) + L"' " +
                             arguments + L" 2>'" + UnixPath(trace) + L"'"),
              -1)
        << "the program did not end in time";
    std::string text = ReadFile(trace);
    DeleteFileW(trace.c_str());
    return text;
}

std::vector<std::wstring> LogFiles() { return TemporaryFiles(L"Brimwell*.log"); }

std::vector<std::wstring> BackupFiles() { return TemporaryFiles(L"Brimwell*.reg"); }

std::vector<std::wstring> RunFileNamesAhead(int seconds) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks{{now.dwLowDateTime, now.dwHighDateTime}};
    std::vector<std::wstring> names;
    for (int second = 0; second < seconds; ++second, ticks.QuadPart += 10'000'000) {
        const FILETIME utc{ticks.LowPart, ticks.HighPart};
        FILETIME local{};
        SYSTEMTIME time{};
        FileTimeToLocalFileTime(&utc, &local);
        FileTimeToSystemTime(&local, &time);
        wchar_t name[64];
        swprintf(name, 64, L"Brimwell%d-%d-%d %dh%dm%ds", time.wMonth, time.wDay, time.wYear, time.wHour,
                 time.wMinute, time.wSecond);
        names.emplace_back(name);
    }
    return names;
}

bool GiveToAnotherAccount(const std::vector<std::wstring>& paths) {
    std::wstring command = L"chown 65534";
    for (const std::wstring& path : paths) {
        command += L" '" + UnixPath(path) + L"'";
    }
    return RunUnixCommand(command) == 0;
}

void DeleteRunFiles() {
    for (const std::vector<std::wstring>& names : {LogFiles(), BackupFiles()}) {
        for (const std::wstring& name : names) {
            DeleteFileW((TemporaryDirectory() + name).c_str());
        }
    }
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvorn\\RegistryRepair\\Backups", KEY_WOW64_64KEY, 0);
}

std::vector<std::string> OnlyLogLines() {
    const std::vector<std::wstring> names = LogFiles();
    if (names.size() != 1) {
        ADD_FAILURE() << names.size() << " log files";
        return {};
    }
    // A run in the same second as an earlier one whose backup is still there takes the next counter.
    EXPECT_TRUE(std::regex_match(
        names[0], std::wregex(LR"(Brimwell\d{1,2}-\d{1,2}-\d{4} \d{1,2}h\d{1,2}m\d{1,2}s( \(\d+\))?\.log)")))
        << std::string(names[0].begin(), names[0].end());
    const std::string bytes = ReadFile(TemporaryDirectory() + names[0]);
    EXPECT_EQ(bytes.substr(0, 4), "\r\n\r\n");
    return LinesAfterHeader(bytes);
}

}  // namespace halvorn::testing
