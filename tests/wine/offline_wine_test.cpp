// The real program repairs another installation's system hive under Wine: a hive saved from a
// branch of the test's own as D:\Windows\System32\config\SYSTEM, loaded by the test or found by the
// program. Wine never writes a loaded hive back to its file, so the keys are checked while loaded.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engine/offline/loaded_hive.h"
#include "engine/offline/windows_offline_platform.h"
#include "tests/support/log_lines.h"
#include "tests/support/utf16_text.h"
#include "tests/wine/support/program_process.h"
#include "tests/wine/support/scratch_key.h"
#include "tests/wine/support/wine_support.h"
#include "log/windows_text.h"

namespace halvorn {
namespace {

using testing::KeyExists;
using testing::SectionLines;
using testing::TemporaryDirectory;
using Lines = testing::LogLines;

constexpr char16_t kHiveFile[] = u"D:\\Windows\\System32\\config\\SYSTEM";

DWORD RunProgram(const std::wstring& arguments) {
    return testing::RunProcess(L"\"" + testing::ProgramPath() + L"\" " + arguments);
}

Lines TakeOnlyLog() {
    Lines lines = testing::OnlyLogLines();
    testing::DeleteRunFiles();
    return lines;
}

// The log of a run that repaired the seeded hive at HKLM\key, after the lines given.
Lines HiveLog(const std::string& key, const Lines& before = {}) {
    return testing::JoinLines({before, SectionLines("ControlSet001", "Services", key), {"HalvornGuard\\$%&'(a"},
                               SectionLines("ControlSet001", "Enum", key),
                               SectionLines("ControlSet001", "Control", key), testing::SummaryLines(1, 1)});
}

// Drive D:, a folder on drive C: of the prefix: Wine finds its files through a link in the prefix's
// dosdevices folder, beside c:, and lists the drive once its name is defined.
class OfflineOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteRunFiles();
        // Saving a key to a hive file and loading it need the privileges in this process too.
        ASSERT_TRUE(platform.EnableHivePrivileges());
        // An invalid key of the running Windows, which no offline run touches, and another
        // installation's system hive: a numbered control set, no CurrentControlSet.
        ASSERT_TRUE(running.Create(L"$%&'(running") &&
                    seed.Create(L"ControlSet001\\Services\\HalvornGuard\\$%&'(a\\b"));
        ASSERT_EQ(testing::RunUnixCommand(DosDevices() + L"rm -rf c:/halvorn-d && mkdir -p "
                                          L"c:/halvorn-d/Windows/System32/config c:/halvorn-d/Windows/Temp && "
                                          L"ln -sfn c:/halvorn-d d:"),
                  0);
        ASSERT_TRUE(DefineDosDeviceW(0, L"D:", L"C:\\halvorn-d"));
        ASSERT_EQ(GetDriveTypeW(L"D:\\"), static_cast<UINT>(DRIVE_FIXED));
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, seed.Path().c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
        const LSTATUS saved = RegSaveKeyW(key, ToWide(kHiveFile).c_str(), nullptr);
        RegCloseKey(key);
        ASSERT_EQ(saved, ERROR_SUCCESS);
    }

    void TearDown() override {
        EXPECT_TRUE(KeyExists(running.Path() + L"\\$%&'(running"));
        DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"D:", nullptr);
        testing::RunUnixCommand(DosDevices() + L"rm -rf d: c:/halvorn-d");
    }

    // Changes to the prefix's dosdevices folder, whose c: links drive C:, before the commands that
    // follow: cd -L leaves the link by its name, not from the folder that it points to.
    static std::wstring DosDevices() { return L"cd -L '" + testing::UnixPath(L"C:\\") + L"..' && "; }

    WindowsOfflinePlatform platform;
    testing::ScratchKey running{L"SYSTEM\\CurrentControlSet\\Services\\HalvornGuard"};
    testing::ScratchKey seed{L"Software\\HalvornOfflineSeed"};
};

TEST_F(OfflineOnWine, RepairsTheNamedHiveAndTheInstallationFoundAndOtherwiseFailsCleanly) {
    {
        const LoadedHive hive(platform, u"HalvornOfflineTest", kHiveFile);
        ASSERT_TRUE(hive) << hive.LoadStatus();
        EXPECT_EQ(RunProgram(L"/noui /Offline:HalvornOfflineTest /ExitCode"), 3010u);
        EXPECT_FALSE(KeyExists(L"HalvornOfflineTest\\ControlSet001\\Services\\HalvornGuard\\$%&'(a"));
        EXPECT_TRUE(KeyExists(L"HalvornOfflineTest\\ControlSet001\\Services\\HalvornGuard"));
        EXPECT_EQ(TakeOnlyLog(), HiveLog("HalvornOfflineTest"));
    }

    EXPECT_EQ(RunProgram(L"/noui /Offline /ExitCode"), 3010u);
    // The installation keeps the whole log, and the backup of its trees, in its own Windows\Temp.
    const std::wstring log = testing::LogFiles().at(0), backup = testing::BackupFiles().at(0);
    for (const std::wstring& file : {log, backup}) {
        EXPECT_EQ(testing::ReadFile(L"D:\\Windows\\Temp\\" + file), testing::ReadFile(TemporaryDirectory() + file));
    }
    EXPECT_NE(testing::DecodeUtf16Le(testing::ReadFile(TemporaryDirectory() + backup))
                  .find(u"\r\n[HKEY_LOCAL_MACHINE\\HalvornOfflineD\\ControlSet001\\Services\\HalvornGuard\\$%&'(a]"),
              std::u16string::npos);
    EXPECT_EQ(TakeOnlyLog(), HiveLog("HalvornOfflineD", {"Offline: D:\\Windows, its hive D:\\Windows\\System32\\"
                                                         "config\\SYSTEM loaded at HKLM\\HalvornOfflineD."}));
    EXPECT_FALSE(KeyExists(L"HalvornOfflineD"));

    DeleteFileW(ToWide(kHiveFile).c_str());
    EXPECT_EQ(RunProgram(L"/noui /Offline /ExitCode"), 1603u);
    EXPECT_EQ(TakeOnlyLog().at(0),
              "Offline: no Windows installation found on the local fixed drives other than the running one.");

    // The program inherits this process's token, from now on without SeRestorePrivilege.
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES removed{1, {{{}, SE_PRIVILEGE_REMOVED}}};
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token) &&
                LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, &removed.Privileges[0].Luid) &&
                AdjustTokenPrivileges(token, FALSE, &removed, 0, nullptr, nullptr) &&
                GetLastError() == ERROR_SUCCESS);
    CloseHandle(token);
    EXPECT_EQ(RunProgram(L"/noui /Offline /ExitCode"), 1603u);
    EXPECT_EQ(TakeOnlyLog().at(0),
              "Offline: SeBackupPrivilege and SeRestorePrivilege could not be enabled: no hive was loaded.");
}

}  // namespace
}  // namespace halvorn
