// The repair of other Windows installations' system hives: the option and its hive name, the
// search for installations, the temporary key, and whole runs against the in-memory registry,
// files and hive loading.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/backup_file.h"
#include "engine/loaded_hive.h"
#include "engine/offline_installations.h"
#include "engine/offline_run.h"
#include "engine/target_services.h"
#include "tests/support/log_lines.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_offline_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/support/utf16_text.h"

namespace halvorn {

void PrintTo(const OfflineRequest& request, std::ostream* out) {
    *out << static_cast<int>(request.target) << ' ' << ::testing::PrintToString(request.hiveKey);
}

namespace {

using testing::JoinLines;
using testing::LinesAfterHeader;
using testing::MemoryLogPlatform;
using testing::MemoryOfflinePlatform;
using testing::MemoryRegistry;
using testing::SectionLines;
using testing::SummaryLines;
using Lines = testing::LogLines;
using Paths = std::vector<std::u16string>;

TEST(OfflineRequest, TakesOneKeyNameAsTypedAndNoHiveOfTheRunningWindows) {
    using enum OfflineTarget;
    const std::u16string longest(255, u'k');
    const struct {
        std::u16string commandLine;
        OfflineRequest request;
    } table[] = {
        {u"", {}},
        {u"/noui /Override", {}},
        {u"/Offlines", {}},
        {u"foo /Offline", {}},
        {u"/noui:Offline", {}},
        {u"/Offline", {Search, {}}},
        {u"/noui -OFFLINE /ExitCode", {Search, {}}},
        {u"/Offline:", {Search, {}}},
        {u"/Offline:OFFLINE", {NamedHive, u"OFFLINE"}},
        {u"/noui -offline:Broken_PC042 /Report", {NamedHive, u"Broken_PC042"}},
        {u"/Offline: OFFLINE /noui", {NamedHive, u"OFFLINE"}},
        {u"/Offline:Old Disk /noui", {NamedHive, u"Old Disk"}},
        {u"/Offline:\u00C5ngstr\u00F6m", {NamedHive, u"\u00C5ngstr\u00F6m"}},
        {u"/Offline:SYSTEMS", {NamedHive, u"SYSTEMS"}},
        {u"/Offline:" + longest, {NamedHive, longest}},
        // The option grammar cuts a value at "/" and "-" and drops ":": the rest would name another key.
        {u"/Offline:OFF-LINE", {Unreadable, {}}},
        {u"/Offline:OFF/LINE /noui", {Unreadable, {}}},
        {u"/Offline:OFF:LINE", {Unreadable, {}}},
        {u"/Offline:A,B", {Unreadable, {}}},
        {u"/Offline:,A", {Unreadable, {}}},
        {u"/Offline: /noui", {Unreadable, {}}},
        {u"/Offline:A /Offline:B", {Unreadable, {}}},
        {u"/Offline /Offline:A", {Unreadable, {}}},
        {u"/Offline:SYSTEM\\ControlSet001", {Unreadable, {}}},
        {u"/Offline:\\OFFLINE", {Unreadable, {}}},
        {u"/Offline:A\tB", {Unreadable, {}}},
        {u"/Offline:A\u007FB", {Unreadable, {}}},
        {u"/Offline:" + longest + u"k", {Unreadable, {}}},
    };
    for (const auto& row : table) {
        EXPECT_EQ(ReadRunOptions(row.commandLine).offline, row.request) << ::testing::PrintToString(row.commandLine);
    }
    for (const char16_t* hive : {u"system", u"Software", u"SAM", u"SECURITY", u"HARDWARE", u"BCD00000000",
                                 u"COMPONENTS", u"Drivers", u"ELAM", u"SCHEMA"}) {
        EXPECT_EQ(ReadRunOptions(u"/Offline:" + std::u16string(hive)).offline,
                  (OfflineRequest{RunningWindowsHive, hive}));
    }
}

TEST(OfflineInstallations, AreTheSystemHivesOfTheFixedDrivesButTheRunningWindows) {
    const std::u16string c = SystemHiveFile(u"C:\\Windows");
    const std::u16string d = SystemHiveFile(u"D:\\Windows");
    const std::u16string x = SystemHiveFile(u"X:\\Windows");
    const struct {
        const char* what;
        Paths drives;
        std::u16string running;
        std::set<std::u16string> files;
        Paths found;
    } table[] = {
        {"a disk attached to a working Windows", {u"C:\\", u"D:\\", u"E:\\"}, u"C:\\Windows", {c, d}, {u"D:\\Windows"}},
        {"the running one in another spelling", {u"C:\\", u"D:\\"}, u"c:\\WINDOWS\\", {c, d}, {u"D:\\Windows"}},
        {"Windows PE on its RAM disk", {u"C:\\", u"D:\\", u"X:\\"}, u"X:\\Windows", {c, d, x},
         {u"C:\\Windows", u"D:\\Windows"}},
        {"an older Windows beside the running one", {u"C:\\"}, u"C:\\WINNT", {c}, {u"C:\\Windows"}},
        {"a root without its separator", {u"D:"}, u"C:\\Windows", {d}, {u"D:\\Windows"}},
        {"no hive file", {u"C:\\", u"D:\\"}, u"C:\\Windows", {c, SystemHiveFile(u"D:\\WINNT")}, {}},
        {"no drives", {}, u"C:\\Windows", {c}, {}},
    };
    MemoryRegistry registry;
    for (const auto& row : table) {
        MemoryOfflinePlatform platform(registry);
        platform.drives = row.drives;
        platform.windowsDirectory = row.running;
        for (const std::u16string& file : row.files) {
            platform.hiveFiles[file] = {};
        }
        EXPECT_EQ(FindOfflineInstallations(platform), row.found) << row.what;
    }
    EXPECT_EQ(d, u"D:\\Windows\\System32\\config\\SYSTEM");
}

TEST(TemporaryHiveKey, IsANameAfterTheDriveThatNoKeyBelowHklmHasYet) {
    const struct {
        std::u16string windowsDirectory;
        Paths existing;
        Paths unopenable;
        std::optional<std::u16string> name;
    } table[] = {
        {u"D:\\Windows", {}, {}, u"HalvornOfflineD"},
        {u"d:\\windows", {u"HalvornOfflineE"}, {}, u"HalvornOfflineD"},
        {u"D:\\Windows", {u"halvornofflined"}, {}, u"HalvornOfflineD_2"},
        // A key that exists but cannot be looked at is someone else's too.
        {u"D:\\Windows", {u"HalvornOfflineD"}, {u"HalvornOfflineD_2"}, u"HalvornOfflineD_3"},
        {u"D:\\Windows",
         {u"HalvornOfflineD", u"HalvornOfflineD_2", u"HalvornOfflineD_3", u"HalvornOfflineD_4", u"HalvornOfflineD_5",
          u"HalvornOfflineD_6", u"HalvornOfflineD_7", u"HalvornOfflineD_8", u"HalvornOfflineD_9"},
         {},
         std::nullopt},
    };
    for (const auto& row : table) {
        MemoryRegistry registry;
        for (const std::u16string& key : row.existing) {
            registry.CreateKey(key);
        }
        for (const std::u16string& key : row.unopenable) {
            registry.CreateKey(key);
            registry.MakeUnopenable(key);
        }
        EXPECT_EQ(ChooseTemporaryHiveKey(registry, row.windowsDirectory), row.name) << row.existing.size();
        EXPECT_EQ(registry.OpenHandleCount(), 0u);
    }
}

TEST(LoadedHive, IsUnloadedOnEveryPath) {
    MemoryRegistry registry;
    MemoryOfflinePlatform platform(registry);
    platform.hiveFiles[u"D:\\hive"] = {u"ControlSet001"};
    platform.EnableHivePrivileges();
    try {
        const LoadedHive hive(platform, u"HalvornOfflineD", u"D:\\hive");
        ASSERT_TRUE(hive);
        EXPECT_TRUE(registry.Exists(u"HalvornOfflineD\\ControlSet001"));
        throw std::runtime_error("cut short");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(platform.unloaded, Paths{u"HalvornOfflineD"});
    EXPECT_FALSE(registry.Exists(u"HalvornOfflineD"));

    // A hive that did not load is not unloaded: the key may be someone else's.
    registry.CreateKey(u"Taken");
    {
        const LoadedHive hive(platform, u"Taken", u"D:\\hive");
        EXPECT_FALSE(hive);
        EXPECT_EQ(hive.LoadStatus(), 183);
    }
    EXPECT_EQ(platform.unloaded, Paths{u"HalvornOfflineD"});
    EXPECT_TRUE(registry.Exists(u"Taken"));
}

const std::u16string kTarget(TargetServiceTable[0]);
const std::string kTargetName(kTarget.begin(), kTarget.end());
const std::u16string kDriveD = SystemHiveFile(u"D:\\Windows");
const std::u16string kDriveE = SystemHiveFile(u"E:\\Windows");

// One machine: its registry, its files, the hive files on its drives, and an offline run that
// saves to the backup beside the log.
class OfflineRunTest : public ::testing::Test {
protected:
    OfflineRunTest() {
        platform.drives = {u"C:\\", u"D:\\", u"E:\\"};
        // The running Windows' own invalid key, which an offline run leaves alone.
        registry.CreateKey(u"SYSTEM\\ControlSet001\\Services\\" + kTarget + u"\\$%&'(running");
        platform.hiveFiles[SystemHiveFile(u"C:\\Windows")] = {};
    }

    void TearDown() override { EXPECT_EQ(registry.OpenHandleCount(), 0u) << "a key handle leaked"; }

    RepairCounts Run(std::u16string_view commandLine) {
        return OfflineRun(cleaner, registry, log, platform).Run(commandLine);
    }

    Lines LogLines() const { return LinesAfterHeader(files.files.at(log.Path())); }

    std::u16string Backup() const {
        const auto file = files.files.find(backup.Path());
        return file == files.files.end() ? std::u16string() : testing::DecodeUtf16Le(file->second);
    }

    // The log of a hive with one control set and its deletions under Services.
    static Lines HiveLines(const std::string& hive, const Lines& deleted) {
        return JoinLines({SectionLines("ControlSet001", "Services", hive), deleted,
                          SectionLines("ControlSet001", "Enum", hive), SectionLines("ControlSet001", "Control", hive)});
    }

    bool RunningKeyStays() const {
        return registry.Exists(u"SYSTEM\\ControlSet001\\Services\\" + kTarget + u"\\$%&'(running");
    }

    MemoryRegistry registry;
    MemoryLogPlatform files;
    RepairLog log{files};
    BackupFile backup{files, BackupFile::PathBesideLog(log.Path())};
    RegistryCleaner cleaner{registry, log, &backup};
    MemoryOfflinePlatform platform{registry};
};

TEST_F(OfflineRunTest, RepairsTheHiveThatTheAdministratorLoadedAndLeavesItLoaded) {
    registry.CreateKey(u"OFFLINE\\ControlSet001\\Services\\" + kTarget + u"\\$%&'(a");
    registry.CreateKey(u"OFFLINE\\ControlSet001\\Services\\" + kTarget + u"\\Keep");
    registry.CreateKey(u"OFFLINE\\Select");

    const RepairCounts counts = Run(u"/noui /Offline:OFFLINE");

    EXPECT_EQ(counts.invalidCount, 1);
    EXPECT_EQ(counts.deletedCount, 1);
    EXPECT_FALSE(counts.failed);
    EXPECT_EQ(LogLines(), JoinLines({HiveLines("OFFLINE", {kTargetName + "\\$%&'(a"}), SummaryLines(1, 1)}));
    EXPECT_EQ(registry.ListTree(u"OFFLINE\\ControlSet001\\Services"), (Paths{kTarget, kTarget + u"\\Keep"}));
    // "reg load HKLM\OFFLINE", "reg import" and "reg unload" put the key back.
    EXPECT_NE(Backup().find(u"\r\n[HKEY_LOCAL_MACHINE\\OFFLINE\\ControlSet001\\Services\\" + kTarget + u"\\$%&'(a]\r\n"),
              std::u16string::npos);
    EXPECT_TRUE(RunningKeyStays());
    EXPECT_TRUE(platform.unloaded.empty());
    EXPECT_FALSE(platform.privilegesEnabled) << "a hive loaded by hand needs no privileges";
}

TEST_F(OfflineRunTest, LoadsRepairsAndUnloadsEveryInstallationFoundAndSumsTheirCounts) {
    platform.hiveFiles[kDriveD] = {u"ControlSet001\\Services\\" + kTarget + u"\\$%&'(a",
                                   u"ControlSet001\\Services\\" + kTarget + u"\\$%&'(b\\deep", u"Select"};
    platform.hiveFiles[kDriveE] = {u"ControlSet001\\Services\\" + kTarget + u"\\$%&'(e"};
    registry.CreateKey(u"HalvornOfflineD");  // left by someone else: the run takes another name

    const RepairCounts counts = Run(u"/Offline");

    EXPECT_EQ(counts.invalidCount, 3);
    EXPECT_EQ(counts.deletedCount, 3);
    EXPECT_FALSE(counts.failed);
    EXPECT_EQ(LogLines(),
              JoinLines({{"Offline: D:\\Windows, its hive D:\\Windows\\System32\\config\\SYSTEM loaded at "
                          "HKLM\\HalvornOfflineD_2."},
                         HiveLines("HalvornOfflineD_2", {kTargetName + "\\$%&'(a", kTargetName + "\\$%&'(b"}),
                         {"Offline: E:\\Windows, its hive E:\\Windows\\System32\\config\\SYSTEM loaded at "
                          "HKLM\\HalvornOfflineE."},
                         HiveLines("HalvornOfflineE", {kTargetName + "\\$%&'(e"}), SummaryLines(3, 3)}));
    EXPECT_NE(Backup().find(u"[HKEY_LOCAL_MACHINE\\HalvornOfflineD_2\\ControlSet001\\Services\\" + kTarget +
                            u"\\$%&'(b\\deep]"),
              std::u16string::npos);
    EXPECT_NE(Backup().find(u"[HKEY_LOCAL_MACHINE\\HalvornOfflineE\\ControlSet001\\Services\\" + kTarget + u"\\$%&'(e]"),
              std::u16string::npos);
    // The repaired hives went back to their files, and their keys are gone from HKLM.
    EXPECT_EQ(platform.hiveFiles[kDriveD],
              (Paths{u"ControlSet001", u"ControlSet001\\Services", u"ControlSet001\\Services\\" + kTarget, u"Select"}));
    EXPECT_EQ(platform.unloaded, (Paths{u"HalvornOfflineD_2", u"HalvornOfflineE"}));
    EXPECT_TRUE(platform.loaded.empty());
    EXPECT_TRUE(registry.Exists(u"HalvornOfflineD"));
    EXPECT_FALSE(registry.Exists(u"HalvornOfflineE"));
    EXPECT_TRUE(RunningKeyStays());
}

TEST_F(OfflineRunTest, ARunThatCannotRepairWhatItWasAskedForSaysWhyAndFails) {
    const struct {
        const char* what;
        std::u16string commandLine;
        bool privilegesHeld;
        std::set<std::u16string> hiveFiles;
        Lines lines;
    } table[] = {
        {"a name cut by the option grammar", u"/Offline:OFF-LINE", true, {kDriveD},
         {"Offline: nothing was repaired: give the option once, alone or with the key name below HKLM at which "
          "the hive is loaded (one name, without \\ / - : or ,)."}},
        {"the running Windows' hive", u"/Offline:system", true, {kDriveD},
         {"Offline: HKLM\\system is a hive of the running Windows: nothing was repaired."}},
        {"a hive not loaded", u"/Offline:OFFLINE", true, {kDriveD}, {"Offline: HKLM\\OFFLINE could not be opened."}},
        {"no privileges", u"/Offline", false, {kDriveD},
         {"Offline: SeBackupPrivilege and SeRestorePrivilege could not be enabled: no hive was loaded."}},
        {"no installation", u"/Offline /Report", true, {SystemHiveFile(u"D:\\WINNT")},
         {"Offline: no Windows installation found on the local fixed drives other than the running one.",
          "Report only: no key was deleted."}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        MemoryLogPlatform rowFiles;
        RepairLog rowLog(rowFiles);
        RegistryCleaner rowCleaner(registry, rowLog);
        MemoryOfflinePlatform rowPlatform(registry);
        rowPlatform.drives = {u"C:\\", u"D:\\"};
        rowPlatform.privilegesHeld = row.privilegesHeld;
        for (const std::u16string& file : row.hiveFiles) {
            rowPlatform.hiveFiles[file] = {u"ControlSet001\\Services\\" + kTarget + u"\\$%&'(a"};
        }
        const RepairCounts counts = OfflineRun(rowCleaner, registry, rowLog, rowPlatform).Run(row.commandLine);
        EXPECT_TRUE(counts.failed);
        EXPECT_EQ(counts.invalidCount, 0);
        EXPECT_EQ(LinesAfterHeader(rowFiles.OnlyFile()), JoinLines({row.lines, SummaryLines(0, 0)}));
        EXPECT_TRUE(rowPlatform.loaded.empty() && rowPlatform.unloaded.empty());
        EXPECT_TRUE(RunningKeyStays());
    }
}

TEST_F(OfflineRunTest, AnInstallationThatCannotBeLoadedDoesNotKeepTheOthersFromTheirRepair) {
    platform.hiveFiles[kDriveD] = {u"ControlSet001"};
    platform.loadFailures[kDriveD] = 32;  // ERROR_SHARING_VIOLATION: the hive is in use
    platform.hiveFiles[kDriveE] = {u"ControlSet001\\Services\\" + kTarget + u"\\$%&'(e"};

    const RepairCounts counts = Run(u"/noui /Offline");

    EXPECT_TRUE(counts.failed);
    EXPECT_EQ(counts.deletedCount, 1);
    const Lines lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Offline: D:\\Windows: its hive D:\\Windows\\System32\\config\\SYSTEM could not be loaded (error 32).");
    EXPECT_EQ(platform.unloaded, Paths{u"HalvornOfflineE"});
    EXPECT_FALSE(registry.Exists(u"HalvornOfflineD"));
}

TEST_F(OfflineRunTest, ARunCutShortStillUnloadsTheHiveAfterClosingItsKeys) {
    platform.hiveFiles[kDriveD] = {u"ControlSet001\\Services\\" + kTarget + u"\\$%&'(a", u"ControlSet001\\Enum"};
    // Registry calls allocate, and an allocation can fail half-way through the walk.
    platform.throwingKey = u"ControlSet001\\Enum";

    EXPECT_THROW(Run(u"/noui /Offline"), std::bad_alloc);

    EXPECT_EQ(platform.unloaded, Paths{u"HalvornOfflineD"});
    EXPECT_FALSE(registry.Exists(u"HalvornOfflineD"));
    EXPECT_EQ(platform.hiveFiles[kDriveD], (Paths{u"ControlSet001", u"ControlSet001\\Enum", u"ControlSet001\\Services",
                                                  u"ControlSet001\\Services\\" + kTarget}));
}

}  // namespace
}  // namespace halvorn
