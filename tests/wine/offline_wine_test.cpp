// The real program repairs other installations' system hives under Wine: a hive saved from a
// branch of the test's own, loaded by the test or placed on a drive of the prefix. Wine loads
// only hives in its own format and never writes a loaded hive back to its file, so the keys are
// checked while the hive is loaded.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>

#include "engine/loaded_hive.h"
#include "engine/windows_offline_platform.h"
#include "res/resource.h"
#include "tests/support/log_lines.h"
#include "tests/support/utf16_text.h"
#include "tests/wine/program_process.h"
#include "tests/wine/scratch_key.h"
#include "tests/wine/sheet_driver.h"
#include "tests/wine/wine_drive.h"
#include "tests/wine/wine_support.h"

namespace halvorn {
namespace {

using testing::DeleteRunFiles;
using testing::JoinLines;
using testing::KeyExists;
using testing::OnlyLogLines;
using testing::SectionLines;
using testing::SummaryLines;
using testing::WineDrive;
using Lines = testing::LogLines;

DWORD RunProgram(const std::wstring& arguments, HANDLE token = nullptr) {
    return testing::RunProcess(L"\"" + testing::ProgramPath() + L"\" " + arguments, token);
}

Lines TakeOnlyLog() {
    Lines lines = OnlyLogLines();
    DeleteRunFiles();
    return lines;
}

// Whether the only backup in directory holds the key line of the seeded invalid key below HKLM\hive.
bool BackupNames(const std::wstring& directory, const std::u16string& hive) {
    const std::vector<std::wstring> backups = testing::FilesIn(directory, L"Brimwell*.reg");
    const std::u16string text = backups.size() == 1 ? testing::DecodeUtf16Le(testing::ReadFile(directory + backups[0]))
                                                    : std::u16string();
    return text.find(u"[HKEY_LOCAL_MACHINE\\" + hive + u"\\ControlSet002\\Enum\\hvnmon\\0000\\$%&'(e]") !=
           std::u16string::npos;
}

class OfflineOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteRunFiles();
        // Saving a key to a hive file and loading it need the privileges in this process too.
        ASSERT_TRUE(platform.EnableHivePrivileges());
        ASSERT_TRUE(running.Create(L"$%&'(running"));
        // Another installation's system hive: numbered control sets, no CurrentControlSet.
        for (const wchar_t* key : {L"ControlSet001\\Services\\HalvornGuard\\$%&'(a\\sub",
                                   L"ControlSet001\\Services\\HalvornGuard\\Keep", L"ControlSet002\\Enum\\hvnmon\\0000\\$%&'(e",
                                   L"Select"}) {
            ASSERT_TRUE(seed.Create(key));
        }
    }

    void TearDown() override { EXPECT_TRUE(KeyExists(running.Path() + L"\\$%&'(running")); }

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

    // The hive as drive's Windows\System32\config\SYSTEM.
    bool PlaceHive(const WineDrive& drive) const {
        std::wstring folder = drive.Root() + L"Windows";
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW((folder + L"\\Temp").c_str(), nullptr);
        for (const wchar_t* below : {L"\\System32", L"\\config"}) {
            folder += below;
            CreateDirectoryW(folder.c_str(), nullptr);
        }
        return drive.Mounted() && SaveHive(folder + L"\\SYSTEM");
    }

    // The log of the seeded hive repaired at HKLM\hive.
    static Lines HiveLines(const std::string& hive) {
        return JoinLines({SectionLines("ControlSet001", "Services", hive), {"HalvornGuard\\$%&'(a"},
                          SectionLines("ControlSet001", "Enum", hive), SectionLines("ControlSet001", "Control", hive),
                          SectionLines("ControlSet002", "Services", hive), SectionLines("ControlSet002", "Enum", hive),
                          {"0000\\$%&'(e"}, SectionLines("ControlSet002", "Control", hive)});
    }

    WindowsOfflinePlatform platform;
    testing::ScratchKey running{L"SYSTEM\\CurrentControlSet\\Services\\HalvornGuard"};
    testing::ScratchKey seed{L"Software\\HalvornOfflineSeed"};
};

TEST_F(OfflineOnWine, RepairsTheHiveLoadedAtTheNamedKeyAndLeavesItLoaded) {
    const std::wstring file = testing::TemporaryDirectory() + L"halvorn-offline.hive";
    ASSERT_TRUE(SaveHive(file));
    const LoadedHive hive(platform, u"HalvornOfflineTest", std::u16string(file.begin(), file.end()));
    ASSERT_TRUE(hive) << hive.LoadStatus();

    EXPECT_EQ(RunProgram(L"/noui /Offline:HalvornOfflineTest /ExitCode"), 3010u);

    EXPECT_FALSE(KeyExists(L"HalvornOfflineTest\\ControlSet001\\Services\\HalvornGuard\\$%&'(a"));
    EXPECT_FALSE(KeyExists(L"HalvornOfflineTest\\ControlSet002\\Enum\\hvnmon\\0000\\$%&'(e"));
    EXPECT_TRUE(KeyExists(L"HalvornOfflineTest\\ControlSet001\\Services\\HalvornGuard\\Keep"));
    EXPECT_TRUE(KeyExists(L"HalvornOfflineTest\\ControlSet002\\Enum\\hvnmon\\0000"));
    EXPECT_TRUE(BackupNames(testing::TemporaryDirectory(), u"HalvornOfflineTest"));
    EXPECT_EQ(TakeOnlyLog(), JoinLines({HiveLines("HalvornOfflineTest"), SummaryLines(2, 2)}));

    // A name of the running Windows' hives repairs nothing.
    EXPECT_EQ(RunProgram(L"/noui /Offline:SYSTEM /ExitCode"), 1603u);
    EXPECT_EQ(TakeOnlyLog(), JoinLines({{"Offline: HKLM\\SYSTEM is a hive of the running Windows: nothing was repaired."},
                                        SummaryLines(0, 0)}));
    EXPECT_TRUE(KeyExists(L"HalvornOfflineTest\\Select")) << "the program unloaded a hive that it did not load";
}

TEST_F(OfflineOnWine, FindsTheInstallationsOnOtherDrivesRepairsThemAndUnloadsTheirHives) {
    const WineDrive driveD(L'D');
    const WineDrive driveE(L'E');
    ASSERT_TRUE(PlaceHive(driveD) && PlaceHive(driveE));
    const Lines expected = JoinLines(
        {{"Offline: D:\\Windows, its hive D:\\Windows\\System32\\config\\SYSTEM loaded at HKLM\\HalvornOfflineD."},
         HiveLines("HalvornOfflineD"),
         {"Offline: E:\\Windows, its hive E:\\Windows\\System32\\config\\SYSTEM loaded at HKLM\\HalvornOfflineE."},
         HiveLines("HalvornOfflineE"), SummaryLines(4, 4)});

    EXPECT_EQ(RunProgram(L"/noui /Offline /ExitCode"), 3010u);

    const std::wstring temporary = testing::TemporaryDirectory();
    EXPECT_TRUE(BackupNames(temporary, u"HalvornOfflineD") && BackupNames(temporary, u"HalvornOfflineE"));
    // Each installation keeps the whole log, and the backup of its own trees, in its Windows\Temp.
    const std::string log = testing::ReadFile(temporary + testing::LogFiles().at(0));
    for (const auto& [drive, own, other] : {std::tuple(&driveD, u"HalvornOfflineD", u"HalvornOfflineE"),
                                            std::tuple(&driveE, u"HalvornOfflineE", u"HalvornOfflineD")}) {
        const std::wstring installationTemp = drive->Root() + L"Windows\\Temp\\";
        const std::vector<std::wstring> logs = testing::FilesIn(installationTemp, L"Brimwell*.log");
        EXPECT_EQ(logs.size() == 1 ? testing::ReadFile(installationTemp + logs[0]) : "", log);
        EXPECT_TRUE(BackupNames(installationTemp, own) && !BackupNames(installationTemp, other));
    }
    EXPECT_EQ(TakeOnlyLog(), expected);
    EXPECT_FALSE(KeyExists(L"HalvornOfflineD") || KeyExists(L"HalvornOfflineE"));

    // The wizard repairs the same hive files (Wine kept them as they were) and counts both hives.
    testing::ProgramProcess program(L"/Offline /ExitCode");
    const testing::SheetDriver wizard(testing::SheetDriver::WaitForSheet());
    ASSERT_TRUE(wizard.StartRepair());
    ASSERT_TRUE(wizard.WaitForPage(3, 60000));
    EXPECT_EQ(wizard.ControlText(IDC_PAGE_TEXT),
              L"Completed Successfully!!!\n\nInvalid Registry Keys found\t: 4\nInvalid Registry Keys Deleted\t: 4\n\n"
              L"It is recommended that you restart your computer at this time.");
    wizard.Press(PSBTN_FINISH);
    EXPECT_EQ(program.WaitForExit(10000), 3010u);
    EXPECT_EQ(TakeOnlyLog(), expected);

    // With no installation on another drive the run says so and fails.
    DeleteFileW(L"D:\\Windows\\System32\\config\\SYSTEM");
    DeleteFileW(L"E:\\Windows\\System32\\config\\SYSTEM");
    EXPECT_EQ(RunProgram(L"/noui /Offline /ExitCode"), 1603u);
    EXPECT_EQ(TakeOnlyLog(),
              JoinLines({{"Offline: no Windows installation found on the local fixed drives other than the running one."},
                         SummaryLines(0, 0)}));
}

TEST_F(OfflineOnWine, WithoutThePrivilegesARunFailsCleanly) {
    const WineDrive driveD(L'D');
    ASSERT_TRUE(PlaceHive(driveD));
    // This process's token without the two privileges: Wine honours a restricted token's deletions.
    HANDLE own = nullptr;
    HANDLE restricted = nullptr;
    LUID_AND_ATTRIBUTES removed[2]{};
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own) &&
                LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, &removed[0].Luid) &&
                LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, &removed[1].Luid) &&
                CreateRestrictedToken(own, 0, 0, nullptr, 2, removed, 0, nullptr, &restricted));

    EXPECT_EQ(RunProgram(L"/noui /Offline /ExitCode", restricted), 1603u);

    CloseHandle(restricted);
    CloseHandle(own);
    EXPECT_EQ(TakeOnlyLog(),
              JoinLines({{"Offline: SeBackupPrivilege and SeRestorePrivilege could not be enabled: no hive was loaded."},
                         SummaryLines(0, 0)}));
    EXPECT_FALSE(KeyExists(L"HalvornOfflineD"));
}

}  // namespace
}  // namespace halvorn
