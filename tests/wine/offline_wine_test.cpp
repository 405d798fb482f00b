// The repair of other installations' system hives by the real program, under Wine: a hive saved
// from a branch of the test's own, loaded by the test or placed on a drive of the prefix as
// another installation's D:\Windows\System32\config\SYSTEM. Wine loads only hives in its own format
// and never writes a loaded hive back to its file, so the repaired keys are checked while the
// hive is loaded.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/loaded_hive.h"
#include "engine/windows_offline_platform.h"
#include "res/resource.h"
#include "tests/support/log_lines.h"
#include "tests/support/utf16_text.h"
#include "tests/wine/program_process.h"
#include "tests/wine/registry_snapshot.h"
#include "tests/wine/scratch_key.h"
#include "tests/wine/sheet_driver.h"
#include "tests/wine/wine_drive.h"
#include "tests/wine/wine_support.h"

namespace halvorn {
namespace {

using testing::BackupFiles;
using testing::DeleteRunFiles;
using testing::JoinLines;
using testing::KeyExists;
using testing::OnlyLogLines;
using testing::ProgramPath;
using testing::ProgramProcess;
using testing::ReadFile;
using testing::RunProcess;
using testing::RunReg;
using testing::ScratchKey;
using testing::SectionLines;
using testing::SnapshotTree;
using testing::SummaryLines;
using testing::TemporaryDirectory;
using testing::WineDrive;
using Lines = testing::LogLines;

DWORD RunProgram(const std::wstring& arguments, HANDLE token = nullptr) {
    return RunProcess(L"\"" + ProgramPath() + L"\" " + arguments, token);
}

// The text of the only backup.
std::u16string OnlyBackup() {
    const std::vector<std::wstring> names = BackupFiles();
    if (names.size() != 1) {
        ADD_FAILURE() << names.size() << " backups";
        return {};
    }
    return testing::DecodeUtf16Le(ReadFile(TemporaryDirectory() + names[0]));
}

bool Contains(const std::u16string& text, const std::u16string& part) { return text.find(part) != std::u16string::npos; }

// The lines of the only log after its header; the run's files are removed.
Lines TakeOnlyLog() {
    Lines lines = OnlyLogLines();
    DeleteRunFiles();
    return lines;
}

// The process's own token without the two privileges that loading a hive needs.
class TokenWithoutHivePrivileges {
public:
    TokenWithoutHivePrivileges() {
        HANDLE own = nullptr;
        LUID_AND_ATTRIBUTES removed[2]{};
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own) &&
            LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, &removed[0].Luid) &&
            LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, &removed[1].Luid)) {
            CreateRestrictedToken(own, 0, 0, nullptr, 2, removed, 0, nullptr, &m_token);
        }
        if (own != nullptr) {
            CloseHandle(own);
        }
    }
    ~TokenWithoutHivePrivileges() {
        if (m_token != nullptr) {
            CloseHandle(m_token);
        }
    }
    TokenWithoutHivePrivileges(const TokenWithoutHivePrivileges&) = delete;
    TokenWithoutHivePrivileges& operator=(const TokenWithoutHivePrivileges&) = delete;

    HANDLE get() const { return m_token; }

private:
    HANDLE m_token = nullptr;
};

class OfflineOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteRunFiles();
        // Saving a key to a hive file and loading it need the privileges in this process too.
        ASSERT_TRUE(platform.EnableHivePrivileges());
        ASSERT_TRUE(running.Create(L"$%&'(running"));
        for (const wchar_t* key :
             {L"ControlSet001\\Services\\HalvornGuard\\$%&'(a", L"ControlSet001\\Services\\HalvornGuard\\Parameters\\$%&'(b\\sub",
              L"ControlSet001\\Services\\HalvornGuard\\Parameters\\Keep", L"ControlSet001\\Services\\OtherVendor\\$%&'(x",
              L"ControlSet002\\Enum\\hvnmon\\0000\\$%&'(e", L"Select", L"Setup\\HalvornGuard\\$%&'(z"}) {
            ASSERT_TRUE(seed.Create(key));
        }
        constexpr DWORD kCurrent = 1;
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, (seed.Path() + L"\\Select").c_str(), L"Current", REG_DWORD,
                                  &kCurrent, sizeof(kCurrent)),
                  ERROR_SUCCESS);
    }

    // The seeded branch as another installation's system hive: numbered control sets, no
    // CurrentControlSet.
    bool SaveHive(const std::wstring& file) const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, seed.Path().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        DeleteFileW(file.c_str());
        const LSTATUS saved = RegSaveKeyW(key, file.c_str(), nullptr);
        RegCloseKey(key);
        return saved == ERROR_SUCCESS;
    }

    // The log lines of the seeded hive repaired at HKLM\hive.
    static Lines HiveLines(const std::string& hive) {
        return JoinLines({SectionLines("ControlSet001", "Services", hive),
                          {"HalvornGuard\\$%&'(a", "Parameters\\$%&'(b"},
                          SectionLines("ControlSet001", "Enum", hive),
                          SectionLines("ControlSet001", "Control", hive),
                          SectionLines("ControlSet002", "Services", hive),
                          SectionLines("ControlSet002", "Enum", hive),
                          {"0000\\$%&'(e"},
                          SectionLines("ControlSet002", "Control", hive)});
    }

    // What is left of the seeded hive at HKLM\hive after its repair.
    static std::vector<std::u16string> RepairedTree() {
        return {u"ControlSet001",
                u"ControlSet001\\Services",
                u"ControlSet001\\Services\\HalvornGuard",
                u"ControlSet001\\Services\\HalvornGuard\\Parameters",
                u"ControlSet001\\Services\\HalvornGuard\\Parameters\\Keep",
                u"ControlSet001\\Services\\OtherVendor",
                u"ControlSet001\\Services\\OtherVendor\\$%&'(x",
                u"ControlSet002",
                u"ControlSet002\\Enum",
                u"ControlSet002\\Enum\\hvnmon",
                u"ControlSet002\\Enum\\hvnmon\\0000",
                u"Select",
                u"Setup",
                u"Setup\\HalvornGuard",
                u"Setup\\HalvornGuard\\$%&'(z"};
    }

    bool RunningKeyStays() const { return KeyExists(running.Path() + L"\\$%&'(running"); }

    WindowsOfflinePlatform platform;
    ScratchKey running{L"SYSTEM\\CurrentControlSet\\Services\\HalvornGuard"};
    ScratchKey seed{L"Software\\HalvornOfflineSeed"};
};

TEST_F(OfflineOnWine, RepairsTheHiveLoadedAtTheNamedKeyAndLeavesItLoaded) {
    const std::wstring file = TemporaryDirectory() + L"halvorn-offline.hive";
    ASSERT_TRUE(SaveHive(file));
    const LoadedHive hive(platform, u"HalvornOfflineTest", std::u16string(file.begin(), file.end()));
    ASSERT_TRUE(hive) << hive.LoadStatus();
    const std::vector<testing::KeySnapshot> before = SnapshotTree(L"HalvornOfflineTest");

    EXPECT_EQ(RunProgram(L"/noui /Offline:HalvornOfflineTest /ExitCode"), 3010u);

    EXPECT_EQ(testing::KeyTree(L"HalvornOfflineTest"), RepairedTree());
    EXPECT_TRUE(RunningKeyStays());
    EXPECT_EQ(OnlyLogLines(), JoinLines({HiveLines("HalvornOfflineTest"), SummaryLines(3, 3)}));
    // The backup names the keys where the hive is loaded: imported there, it puts them back.
    const std::u16string backup = OnlyBackup();
    EXPECT_TRUE(Contains(backup, u"\r\n[HKEY_LOCAL_MACHINE\\HalvornOfflineTest\\ControlSet001\\Services\\HalvornGuard\\$%&'(a]\r\n"));
    EXPECT_TRUE(Contains(backup, u"\r\n[HKEY_LOCAL_MACHINE\\HalvornOfflineTest\\ControlSet002\\Enum\\hvnmon\\0000\\$%&'(e]\r\n"));
    EXPECT_EQ(RunReg(L"import \"" + TemporaryDirectory() + BackupFiles().at(0) + L"\""), 0u);
    EXPECT_EQ(SnapshotTree(L"HalvornOfflineTest"), before);
    DeleteRunFiles();

    // A name that would reach another key, or a hive of the running Windows, repairs nothing.
    const struct {
        const wchar_t* arguments;
        std::string line;
    } refused[] = {
        {L"/noui /Offline:SYSTEM /ExitCode", "Offline: HKLM\\SYSTEM is a hive of the running Windows: nothing was repaired."},
        {L"/noui /Offline:HalvornOfflineTest\\ControlSet001 /ExitCode",
         "Offline: nothing was repaired: give the option once, alone or with the key name below HKLM at which the hive "
         "is loaded (one name, without \\ / - : or ,)."},
        {L"/noui /Offline:HalvornOfflineTest-2 /ExitCode",
         "Offline: nothing was repaired: give the option once, alone or with the key name below HKLM at which the hive "
         "is loaded (one name, without \\ / - : or ,)."},
        {L"/noui /ExitCode /Offline:HalvornNotLoaded", "Offline: HKLM\\HalvornNotLoaded could not be opened."},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(RunProgram(row.arguments), 1603u);
        EXPECT_EQ(TakeOnlyLog(), JoinLines({{row.line}, SummaryLines(0, 0)}));
        EXPECT_EQ(SnapshotTree(L"HalvornOfflineTest"), before);
        EXPECT_TRUE(RunningKeyStays());
    }
    EXPECT_TRUE(KeyExists(L"HalvornOfflineTest")) << "the program unloaded a hive that it did not load";
}

TEST_F(OfflineOnWine, FindsTheInstallationsOnOtherDrivesRepairsThemAndUnloadsTheirHives) {
    const WineDrive driveD(L'D');
    const WineDrive driveE(L'E');
    ASSERT_TRUE(driveD.Mounted() && driveE.Mounted());
    for (const WineDrive* drive : {&driveD, &driveE}) {
        const std::wstring windows = drive->Root() + L"Windows";
        for (const std::wstring& folder : {windows, windows + L"\\System32", windows + L"\\System32\\config"}) {
            ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        }
        ASSERT_TRUE(SaveHive(windows + L"\\System32\\config\\SYSTEM"));
    }
    const Lines expected = JoinLines(
        {{"Offline: D:\\Windows, its hive D:\\Windows\\System32\\config\\SYSTEM loaded at HKLM\\HalvornOfflineD."},
         HiveLines("HalvornOfflineD"),
         {"Offline: E:\\Windows, its hive E:\\Windows\\System32\\config\\SYSTEM loaded at HKLM\\HalvornOfflineE."},
         HiveLines("HalvornOfflineE"),
         SummaryLines(6, 6)});

    EXPECT_EQ(RunProgram(L"/noui /Offline /ExitCode"), 3010u);

    EXPECT_EQ(OnlyLogLines(), expected);
    const std::u16string backup = OnlyBackup();
    EXPECT_TRUE(Contains(backup, u"\r\n[HKEY_LOCAL_MACHINE\\HalvornOfflineD\\ControlSet001\\Services\\HalvornGuard\\$%&'(a]\r\n"));
    EXPECT_TRUE(Contains(backup, u"\r\n[HKEY_LOCAL_MACHINE\\HalvornOfflineE\\ControlSet002\\Enum\\hvnmon\\0000\\$%&'(e]\r\n"));
    EXPECT_FALSE(KeyExists(L"HalvornOfflineD"));
    EXPECT_FALSE(KeyExists(L"HalvornOfflineE"));
    EXPECT_TRUE(RunningKeyStays());
    DeleteRunFiles();

    // The wizard repairs the same (Wine kept the hive files as they were) and counts both hives.
    ProgramProcess program(L"/Offline /ExitCode");
    const testing::SheetDriver wizard(testing::SheetDriver::WaitForSheet());
    ASSERT_NE(wizard.Sheet(), nullptr);
    ASSERT_TRUE(wizard.StartRepair());
    ASSERT_TRUE(wizard.WaitForPage(3, 60000));
    EXPECT_EQ(wizard.ControlText(IDC_PAGE_TEXT),
              L"Completed Successfully!!!\n\nInvalid Registry Keys found\t: 6\nInvalid Registry Keys Deleted\t: 6\n\n"
              L"It is recommended that you restart your computer at this time.");
    wizard.Press(PSBTN_FINISH);
    EXPECT_EQ(program.WaitForExit(10000), 3010u);
    EXPECT_EQ(TakeOnlyLog(), expected);
    EXPECT_FALSE(KeyExists(L"HalvornOfflineD"));

    // Without an installation on another drive the run says so and fails.
    for (const WineDrive* drive : {&driveD, &driveE}) {
        ASSERT_TRUE(DeleteFileW((drive->Root() + L"Windows\\System32\\config\\SYSTEM").c_str()));
    }
    EXPECT_EQ(RunProgram(L"/noui /Offline /ExitCode"), 1603u);
    EXPECT_EQ(TakeOnlyLog(),
              JoinLines({{"Offline: no Windows installation found on the local fixed drives other than the running one."},
                         SummaryLines(0, 0)}));
}

TEST_F(OfflineOnWine, WithoutThePrivilegesARunFailsCleanly) {
    const WineDrive driveD(L'D');
    ASSERT_TRUE(driveD.Mounted());
    const std::wstring windows = driveD.Root() + L"Windows";
    for (const std::wstring& folder : {windows, windows + L"\\System32", windows + L"\\System32\\config"}) {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    ASSERT_TRUE(SaveHive(windows + L"\\System32\\config\\SYSTEM"));
    const TokenWithoutHivePrivileges token;
    ASSERT_NE(token.get(), nullptr);

    EXPECT_EQ(RunProgram(L"/noui /Offline /ExitCode", token.get()), 1603u);

    EXPECT_EQ(TakeOnlyLog(),
              JoinLines({{"Offline: SeBackupPrivilege and SeRestorePrivilege could not be enabled: no hive was loaded."},
                         SummaryLines(0, 0)}));
    EXPECT_FALSE(KeyExists(L"HalvornOfflineD"));
    EXPECT_TRUE(RunningKeyStays());
}

}  // namespace
}  // namespace halvorn
