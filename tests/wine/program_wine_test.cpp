// The real program, started as a separate process under Wine, in the test run's private prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "engine/backup/reg_file_format.h"
#include "log/windows_handles.h"
#include "log/sha256.h"
#include "log/windows_backup_records.h"
#include "tests/support/log_lines.h"
#include "tests/wine/support/child_process.h"
#include "tests/wine/support/program_process.h"
#include "tests/wine/support/registry_snapshot.h"
#include "tests/wine/support/scratch_key.h"
#include "tests/wine/support/wine_support.h"

namespace halvorn {
namespace {

using testing::BackupFiles;
using testing::DeleteRunFiles;
using testing::GiveToAnotherAccount;
using testing::ReadFile;
using testing::RunFileNamesAhead;
using testing::WriteWholeFile;
using testing::KeyExists;
using testing::LogFiles;
using testing::OnlyLogLines;
using testing::ProgramPath;
using testing::RunProcess;
using testing::RunReg;
using testing::RunTracingEvents;
using testing::SnapshotTree;
using testing::ScratchKey;
using testing::TemporaryDirectory;
using Lines = testing::LogLines;
using testing::JoinLines;
using testing::SectionLines;
using testing::SummaryLines;

constexpr wchar_t kMutexName[] = L"Global\\5B1E94D2-7A3C-4F08-9C61-E2D07A4B8F35";

class ProgramOnWine : public ::testing::Test {
protected:
    void SetUp() override { Seed(); }

    // Invalid keys in a target service and in another one, and no log file yet.
    void Seed() {
        DeleteRunFiles();
        ASSERT_TRUE(guard.Create(L"$%&'(a"));
        constexpr wchar_t kNote[] = L"saved \"before\" deletion";
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, (kGuard + L"\\$%&'(a").c_str(), L"Note", REG_SZ, kNote,
                                  sizeof(kNote)),
                  ERROR_SUCCESS);
        ASSERT_TRUE(guard.Create(L"Parameters\\$%&'(b\\sub"));
        ASSERT_TRUE(guard.Create(L"Parameters\\Keep"));
        ASSERT_TRUE(other.Create(L"$%&'(x"));
    }

    // Starts the program with arguments and returns its exit code once it has ended.
    static DWORD Run(const std::wstring& arguments) { return RunProcess(L"\"" + ProgramPath() + L"\" " + arguments); }

    bool Repaired() const {
        return !KeyExists(kGuard + L"\\$%&'(a") && !KeyExists(kGuard + L"\\Parameters\\$%&'(b") &&
               KeyExists(kGuard + L"\\Parameters\\Keep");
    }

    // The log of a run in Wine's one control set, with its deletions under Services.
    static Lines Sections(const Lines& deletedUnderServices, int found, int deleted) {
        return JoinLines({SectionLines("CurrentControlSet", "Services"), deletedUnderServices,
                          SectionLines("CurrentControlSet", "Enum"), SectionLines("CurrentControlSet", "Control"),
                          SummaryLines(found, deleted)});
    }

    const std::wstring kGuard = L"SYSTEM\\CurrentControlSet\\Services\\HalvornGuard";
    const std::wstring kOther = L"SYSTEM\\CurrentControlSet\\Services\\HalvornWineOther";
    ScratchKey guard{kGuard};
    ScratchKey other{kOther};
};

TEST_F(ProgramOnWine, SilentRunRepairsTargetServicesAndLogs) {
    for (const wchar_t* arguments : {L"/noui", L"/NOUI", L"\"/noui\""}) {
        SCOPED_TRACE(std::string(arguments, arguments + wcslen(arguments)));
        Seed();
        EXPECT_EQ(Run(arguments), 0u);
        EXPECT_TRUE(Repaired());
        EXPECT_TRUE(KeyExists(kOther + L"\\$%&'(x")) << "a service outside the table was repaired";
        EXPECT_EQ(OnlyLogLines(), Sections({"HalvornGuard\\$%&'(a", "Parameters\\$%&'(b"}, 2, 2));
    }
}

TEST_F(ProgramOnWine, OverrideAlsoReachesOtherServices) {
    EXPECT_EQ(Run(L"/noui /Override"), 0u);
    EXPECT_TRUE(Repaired());
    EXPECT_FALSE(KeyExists(kOther + L"\\$%&'(x"));
    EXPECT_EQ(OnlyLogLines(), Sections({"HalvornGuard\\$%&'(a", "Parameters\\$%&'(b", "HalvornWineOther\\$%&'(x"}, 3, 3));
}

TEST_F(ProgramOnWine, ASilentRunLeavesABackupBesideTheLogThatRestoresTheDeletedKeys) {
    const std::vector<testing::KeySnapshot> before = SnapshotTree(kGuard);
    EXPECT_EQ(Run(L"/noui"), 0u);
    EXPECT_TRUE(Repaired());
    const std::vector<std::wstring> logs = LogFiles();
    const std::vector<std::wstring> backups = BackupFiles();
    ASSERT_EQ(logs.size(), 1u);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0], logs[0].substr(0, logs[0].size() - 4) + L".reg");
    EXPECT_EQ(RunReg(L"import \"" + TemporaryDirectory() + backups[0] + L"\""), 0u);
    EXPECT_EQ(SnapshotTree(kGuard), before);
}

// Run as the system account, the program writes where every local user may create files and links
// under the names that it will take, which carry the second it starts. For every second ahead: the
// backup's name holds another account's registry script, held open without sharing, the names with
// " (2)" hard links to a file elsewhere, and the names with " (3)" the files of an earlier run in
// that second, whose backup the record vouches for, which the run shares. Nothing but the run's own
// files and their record changes.
TEST_F(ProgramOnWine, PlantedFilesAndLinksStayAsTheyAreAndTheRunSharesAnEarlierRunsFiles) {
    const std::wstring directory = TemporaryDirectory();
    const std::wstring linked = directory + L"halvorn-linked-file.txt";
    const std::string linkedBytes = "a file that the planter can read but not write\r\n";
    const std::string header = "\xFF\xFE" + EncodeUtf16Le(u"Windows Registry Editor Version 5.00\r\n\r\n");
    const std::string script = header + EncodeUtf16Le(u"[HKEY_LOCAL_MACHINE\\SYSTEM\\Planted]\r\n\"Run\"=\"planted.exe\"\r\n");
    const std::string earlierLog = "the earlier run's lines\r\n";
    ASSERT_TRUE(WriteWholeFile(linked, linkedBytes));
    const std::vector<std::wstring> names = RunFileNamesAhead(30);
    std::vector<std::wstring> scripts;
    WindowsBackupRecords records;
    const auto digestOf = [](const std::string& bytes) {
        Sha256 content;
        content.Add(bytes);
        return content.Digest();
    };
    for (const std::wstring& name : names) {
        scripts.push_back(directory + name + L".reg");
        ASSERT_TRUE(WriteWholeFile(scripts.back(), script));
        for (const wchar_t* extension : {L" (2).log", L" (2).reg"}) {
            ASSERT_TRUE(CreateHardLinkW((directory + name + extension).c_str(), linked.c_str(), nullptr));
        }
        ASSERT_TRUE(WriteWholeFile(directory + name + L" (3).log", earlierLog));
        ASSERT_TRUE(WriteWholeFile(directory + name + L" (3).reg", header));
        const std::wstring earlierBackup = directory + name + L" (3).reg";
        ASSERT_TRUE(records.Record(std::u16string(earlierBackup.begin(), earlierBackup.end()), digestOf(header)));
    }
    if (!GiveToAnotherAccount(scripts)) {
        DeleteFileW(linked.c_str());
        GTEST_SKIP() << "only root can give the planted files to another account";
    }
    std::vector<KernelHandle> held;
    for (const std::wstring& planted : scripts) {
        held.emplace_back(CreateFileW(planted.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.back());
    }
    const std::vector<testing::KeySnapshot> before = SnapshotTree(kGuard);

    // Every invalid key deleted: nothing stopped the repair.
    EXPECT_EQ(Run(L"/noui /ExitCode"), 3010u);
    held.clear();

    EXPECT_TRUE(Repaired());
    for (const std::wstring& planted : scripts) {
        EXPECT_EQ(ReadFile(planted), script);
    }
    EXPECT_EQ(ReadFile(linked), linkedBytes);
    DeleteFileW(linked.c_str());
    std::vector<std::wstring> shared = names;
    std::erase_if(shared, [&](const std::wstring& name) { return ReadFile(directory + name + L" (3).log") == earlierLog; });
    ASSERT_EQ(shared.size(), 1u);
    const std::string log = ReadFile(directory + shared[0] + L" (3).log");
    EXPECT_EQ(log.substr(0, earlierLog.size()), earlierLog);
    EXPECT_EQ(testing::LinesAfterHeader(log.substr(earlierLog.size())),
              Sections({"HalvornGuard\\$%&'(a", "Parameters\\$%&'(b"}, 2, 2));
    const std::wstring backupPath = directory + shared[0] + L" (3).reg";
    const std::string backup = ReadFile(backupPath);
    EXPECT_EQ(backup.find(header, 1), std::string::npos) << "a second header";
    EXPECT_EQ(records.Find(std::u16string(backupPath.begin(), backupPath.end())), digestOf(backup));
    EXPECT_EQ(RunReg(L"import \"" + directory + shared[0] + L" (3).reg\""), 0u);
    EXPECT_EQ(SnapshotTree(kGuard), before);
}

TEST_F(ProgramOnWine, AReportListsTheKeysAndLeavesTheRegistryAsItIs) {
    const std::vector<testing::KeySnapshot> before = SnapshotTree(kGuard);
    EXPECT_EQ(Run(L"/noui /Report"), 0u);
    EXPECT_EQ(SnapshotTree(kGuard), before);
    EXPECT_TRUE(BackupFiles().empty());
    Lines expected = Sections({"HalvornGuard\\$%&'(a", "Parameters\\$%&'(b"}, 2, 0);
    expected.insert(expected.end() - 4, "Report only: no key was deleted.");
    EXPECT_EQ(OnlyLogLines(), expected);
}

TEST_F(ProgramOnWine, NoBackupRepairsWithoutABackup) {
    EXPECT_EQ(Run(L"/noui -NoBackup"), 0u);
    EXPECT_TRUE(Repaired());
    EXPECT_TRUE(BackupFiles().empty());
    EXPECT_EQ(OnlyLogLines(), Sections({"HalvornGuard\\$%&'(a", "Parameters\\$%&'(b"}, 2, 2));
}

TEST_F(ProgramOnWine, ASecondInstanceDoesNothing) {
    const HANDLE running = CreateMutexW(nullptr, TRUE, kMutexName);
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(Run(L"/noui"), 0u);
    EXPECT_EQ(Run(L"/noui /ExitCode"), 1618u);  // retry later
    CloseHandle(running);
    EXPECT_TRUE(KeyExists(kGuard + L"\\$%&'(a"));
    EXPECT_TRUE(LogFiles().empty());
}

TEST_F(ProgramOnWine, ASecondInstanceRestoresTheFirstOnesMinimisedWindow) {
    const HANDLE running = CreateMutexW(nullptr, TRUE, kMutexName);
    ASSERT_NE(running, nullptr);
    // The first instance's window, found by its exact title.
    const HWND window = CreateWindowExW(0, L"STATIC", L"Halvorn Registry Repair Tool", WS_OVERLAPPEDWINDOW,
                                        0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));

    EXPECT_EQ(Run(L"/noui"), 0u);

    MSG message{};
    const bool restoreAsked =
        PeekMessageW(&message, window, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE) && message.wParam == SC_RESTORE;
    DestroyWindow(window);
    CloseHandle(running);
    EXPECT_TRUE(restoreAsked);
    EXPECT_TRUE(KeyExists(kGuard + L"\\$%&'(a"));
    EXPECT_TRUE(LogFiles().empty());
}

TEST_F(ProgramOnWine, TheExitCodeTellsTheOutcomeOnlyWhenAsked) {
    const ScratchKey source{L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\HalvornRepair"};
    // Command lines that once deleted: refused ones change nothing, with or without "/ExitCode", and
    // the one line of their log names the argument (the log holds ISO-8859-1, so the en dash is "?").
    // A silent refusal shows no window, or the run would not end.
    const std::string argument = "\": nothing was changed. Each argument must be a switch that the tool knows, or the "
                                 "backup's path after /Restore: start the tool with /? for the switches.\r\n";
    const std::tuple<const wchar_t*, DWORD, std::string> commandLines[] = {
        {L"/noui /Reprot /ExitCode", 1639,
         "Unknown switch \"/Reprot\": nothing was changed. Start the tool with /? for the switches that it knows.\r\n"},
        {L"/noui Report", 1639, "Unknown argument \"Report" + argument},
        {L"/noui \u2013Report", 1639, "Unknown argument \"?Report" + argument},
        {L"/noui \\Report /ExitCode", 1639, "Unknown argument \"\\Report" + argument},
        {L"word /noui /Reprot", 1639, "Unknown argument \"word" + argument},
        {L"x/NoUiy", 1639, "Unknown argument \"x/NoUiy" + argument},
        {L"\"C:\\Tools\\/noui\\run.cmd\" /Reprot", 1639, "Unknown argument \"C:\\Tools\\/noui\\run.cmd" + argument},
        // Quotes removed first: a restore of a backup that is not there, and a report.
        {L"\"/noui\" \"/Restore\" \"C:\\halvorn-missing.reg\" \"/ExitCode\"", 1603, {}},
        {L"/noui \"/Report\" /ExitCode", 1, {}},
    };
    for (const auto& [arguments, code, log] : commandLines) {
        SCOPED_TRACE(std::string(arguments, arguments + wcslen(arguments)));
        EXPECT_EQ(Run(arguments), code);
        EXPECT_TRUE(KeyExists(kGuard + L"\\$%&'(a") && KeyExists(kGuard + L"\\Parameters\\$%&'(b"));
        const std::vector<std::wstring> logs = LogFiles();
        ASSERT_EQ(logs.size(), 1u);
        if (!log.empty()) {
            EXPECT_EQ(ReadFile(TemporaryDirectory() + logs[0]), log);
        }
        EXPECT_TRUE(BackupFiles().empty());
        DeleteRunFiles();
    }
    // The help, silent: on standard output, with no window, and 0.
    std::string help;
    EXPECT_EQ(testing::RunProcessReadingOutput(L"\"" + ProgramPath() + L"\" /noui /? /ExitCode", help), 0u);
    EXPECT_EQ(help.rfind("The tool deletes the invalid registry keys", 0), 0u) << help;
    EXPECT_NE(help.find(".\r\n\r\nHalvornRepair.exe [switches]\r\n\r\n/noui: "), std::string::npos) << help;
    EXPECT_FALSE(std::regex_search(help, std::regex("[^\r]\n"))) << "a line end without CR";
    EXPECT_TRUE(help.ends_with("source HalvornRepair, and one line to standard output where it was given one."))
        << help;
    EXPECT_TRUE(LogFiles().empty());

    // The seeded keys: a report finds them, the repair deletes them, then nothing is left.
    EXPECT_EQ(Run(L"/noui /Report /ExitCode"), 1u);
    // Wine's trace of the repair's event: its type (information) and ID (101), then its text.
    const std::string trace = RunTracingEvents(L"/noui -exitcode");
    EXPECT_NE(trace.find(",0x0004,0x0000,0x00000065,"), std::string::npos) << trace;
    EXPECT_NE(trace.find("trace:eventlog:ReportEventW L\"Repair: every invalid registry key was deleted. Found 2, "
                         "deleted 2.\\r\\nExit code with /ExitCode: 3010.\\r\\nLog: C:\\\\"),
              std::string::npos)
        << trace;
    // The source's registration; a value that cannot be read stays empty.
    wchar_t messageFile[MAX_PATH] = {};
    DWORD size = sizeof(messageFile);
    RegGetValueW(HKEY_LOCAL_MACHINE, source.Path().c_str(), L"EventMessageFile", RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                 nullptr, messageFile, &size);
    EXPECT_STREQ(messageFile, L"%SystemRoot%\\System32\\EventCreate.exe");
    const std::pair<const wchar_t*, DWORD> runs[] = {{L"/noui /Report /ExitCode", 0}, {L"/noui /EXITCODE:yes", 0}};
    for (const auto& [arguments, code] : runs) {
        EXPECT_EQ(Run(arguments), code) << std::string(arguments, arguments + wcslen(arguments));
    }
    {
        // Windows PE, known by this key, keeps no event.
        const ScratchKey windowsPe{L"SYSTEM\\CurrentControlSet\\Control\\MiniNT"};
        EXPECT_EQ(RunTracingEvents(L"/noui /Report").find("ReportEventW"), std::string::npos);
    }

    // A tree whose backup cannot carry a key's name is kept: some keys stay.
    Seed();
    ASSERT_TRUE(guard.Create(L"$%&'(a\\line\nbreak"));
    EXPECT_EQ(Run(L"/noui /ExitCode"), 1603u);
    EXPECT_EQ(Run(L"/noui"), 0u);
}

// What a deployment tool reads: the result file of each mode and the one line on standard output,
// which must tell what the registry and the log show.
TEST_F(ProgramOnWine, EachModesResultAndOutputLineTellWhatTheRegistryAndTheLogShow) {
    using nlohmann::json;
    // Without its last separator in the arguments, where "\\\"" would be a quote of the argument.
    const std::wstring directory = TemporaryDirectory() + L"halvorn-results";
    const std::wstring folder = directory + L"\\";
    const std::wstring resultFile = folder + L"result.json";
    CreateDirectoryW(directory.c_str(), nullptr);
    const auto narrow = [](const std::wstring& text) { return std::string(text.begin(), text.end()); };
    // The program with a pipe as its standard output: its code, its one line and its result.
    struct Answer {
        DWORD code;
        std::string line;
        json result;
    };
    const auto run = [&](const std::wstring& arguments, const std::wstring& result = L"") {
        Answer answer;
        answer.code = testing::RunProcessReadingOutput(L"\"" + ProgramPath() + L"\" " + arguments, answer.line);
        answer.result = json::parse(ReadFile(result.empty() ? resultFile : result), nullptr, false);
        EXPECT_TRUE(answer.result.is_object()) << answer.line;
        return answer;
    };
    const auto onlyLog = [&](const std::wstring& in) {
        const std::vector<std::wstring> logs = testing::FilesIn(in, L"Brimwell*.log");
        EXPECT_EQ(logs.size(), 1u);
        return logs.empty() ? std::string() : narrow(in + logs[0]);
    };
    const auto paths = [](const json& list) {
        json found = json::array();
        for (const json& item : list) {
            found.push_back(item["path"]);
        }
        return found;
    };
    const std::string services = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\HalvornGuard\\";
    const json seededKeys = {services + "$%&'(a", services + "Parameters\\$%&'(b"};
    const std::wstring inFolder = L" /LogFolder \"" + directory + L"\" /Result \"" + resultFile + L"\"";

    // A report, its result named without a folder: beside the log, in the temporary folder.
    const Answer report = run(L"/noui /Report /ExitCode /Result halvorn.json", TemporaryDirectory() + L"halvorn.json");
    EXPECT_TRUE(KeyExists(kGuard + L"\\$%&'(a"));
    const std::string reportLog = onlyLog(TemporaryDirectory());
    EXPECT_EQ(report.code, 1u);
    EXPECT_EQ(report.line, "HalvornRepair report: keysFound, found 2, deleted 0, exit code 1, log " + reportLog + "\r\n");
    EXPECT_EQ(report.result["arguments"], json({"/noui", "/Report", "/ExitCode", "/Result", "halvorn.json"}));
    EXPECT_EQ(paths(report.result["keys"]), seededKeys);
    EXPECT_EQ(report.result["keys"][0]["reason"], "reportOnly");
    EXPECT_EQ(report.result["log"], reportLog);
    EXPECT_TRUE(report.result["backup"].is_null());
    DeleteRunFiles();

    // The repair, into a folder that only administrators and this account may write to.
    const Answer repair = run(L"/noui /ExitCode" + inFolder);
    EXPECT_TRUE(Repaired());
    EXPECT_TRUE(LogFiles().empty()) << "a log in the temporary folder";
    const std::string repairLog = onlyLog(folder);
    EXPECT_EQ(repair.code, 3010u);
    EXPECT_EQ(repair.line, "HalvornRepair repair: repaired, found 2, deleted 2, exit code 3010, log " + repairLog + "\r\n");
    EXPECT_EQ(repair.result["outcome"], "repaired");
    EXPECT_EQ(paths(repair.result["keys"]), seededKeys);
    EXPECT_EQ(repair.result["keys"][1]["deleted"], true);
    EXPECT_EQ(repair.result["log"], repairLog);
    EXPECT_EQ(repair.result["backup"], repairLog.substr(0, repairLog.size() - 4) + ".reg");

    // /Restore alone finds that backup in the same folder, and puts both trees back; its result
    // replaces the repair's.
    const Answer restore = run(L"/noui /ExitCode /Restore" + inFolder);
    EXPECT_TRUE(KeyExists(kGuard + L"\\$%&'(a") && KeyExists(kGuard + L"\\Parameters\\$%&'(b\\sub"));
    EXPECT_EQ(restore.code, 0u);
    EXPECT_EQ(restore.result["outcome"], "restored");
    EXPECT_EQ(paths(restore.result["trees"]), seededKeys);
    EXPECT_EQ(restore.result["trees"][0]["restored"], true);
    EXPECT_EQ(restore.result["backup"], repair.result["backup"]);
    EXPECT_EQ(restore.line.rfind("HalvornRepair restore: restored, trees 2, written back 2, exit code 0, log ", 0), 0u)
        << restore.line;

    // Refusals change nothing and say so: a mistyped switch, and a folder that every local account
    // may write to, as Wine shows a Unix folder of mode 1777.
    const Answer refused = run(L"/noui /Reprot /Result \"" + resultFile + L"\"");
    EXPECT_EQ(refused.code, 1639u);
    EXPECT_EQ(refused.result["outcome"], "commandLineRefused");
    DeleteRunFiles();
    const Answer shared = run(L"/noui /LogFolder Z:\\tmp /Result \"" + resultFile + L"\"");
    EXPECT_EQ(shared.code, 1639u);
    EXPECT_TRUE(KeyExists(kGuard + L"\\$%&'(a"));
    EXPECT_EQ(ReadFile(TemporaryDirectory() + LogFiles().at(0)),
              "The log folder \"Z:\\tmp\" cannot take the run's files: others than the system account, "
              "Administrators, TrustedInstaller and the running account may write to it. Nothing was changed.\r\n");
    EXPECT_EQ(shared.result["outcome"], "commandLineRefused");

    // A result that cannot be written, here over a folder, leaves the repair as it was and turns the
    // code into a failure; the log says why.
    DeleteRunFiles();
    EXPECT_EQ(Run(L"/noui /Result \"" + directory + L"\""), 1603u);
    EXPECT_FALSE(KeyExists(kGuard + L"\\$%&'(a"));
    EXPECT_NE(ReadFile(TemporaryDirectory() + LogFiles().at(0))
                  .find("The result could not be written to " + narrow(directory) +
                        ": the file there may not be replaced: it is not a plain file.\r\n"),
              std::string::npos);
    for (const std::wstring& name : testing::FilesIn(folder, L"*")) {
        DeleteFileW((folder + name).c_str());
    }
    RemoveDirectoryW(directory.c_str());
    DeleteFileW((TemporaryDirectory() + L"halvorn.json").c_str());
}

TEST_F(ProgramOnWine, TheMutexIsGoneWhenTheProgramHasEnded) {
    EXPECT_EQ(Run(L"/noui"), 0u);
    const HANDLE probe = CreateMutexW(nullptr, TRUE, kMutexName);
    const DWORD error = GetLastError();
    ASSERT_NE(probe, nullptr);
    CloseHandle(probe);
    EXPECT_NE(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

}  // namespace
}  // namespace halvorn
