// The repair of other Windows installations' system hives: the option and its hive name, the
// search for installations, the temporary key, and whole runs against the in-memory registry,
// files and hive loading.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>
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
#include "tests/support/utf16_text.h"

namespace halvorn {

void PrintTo(const OfflineRequest& request, std::ostream* out) {
    *out << static_cast<int>(request.target) << ' ' << ::testing::PrintToString(request.hiveKey);
}

namespace {

using testing::JoinLines;
using testing::MemoryLogPlatform;
using testing::MemoryOfflinePlatform;
using testing::MemoryRegistry;
using testing::SectionLines;
using Lines = testing::LogLines;
using Paths = std::vector<std::u16string>;

TEST(OfflineRequest, TakesOneKeyNameAsTypedAndNoHiveOfTheRunningWindows) {
    using enum OfflineTarget;
    const std::u16string longest(255, u'k');
    const std::pair<std::u16string, OfflineRequest> table[] = {
        {u"/noui /Override", {}},
        {u"foo /Offline", {}},
        {u"/noui -OFFLINE /ExitCode", {Search, {}}},
        {u"/Offline:", {Search, {}}},
        {u"/noui -offline:Broken_PC042 /Report", {NamedHive, u"Broken_PC042"}},
        {u"/Offline: Old Disk /noui", {NamedHive, u"Old Disk"}},
        {u"/Offline:SYSTEMS", {NamedHive, u"SYSTEMS"}},
        {u"/Offline:" + longest, {NamedHive, longest}},
        // The option grammar cuts a value at "/" and "-" and drops ":": the rest would name another key.
        {u"/Offline:OFF-LINE", {Unreadable, {}}},
        {u"/Offline:OFF/LINE /noui", {Unreadable, {}}},
        {u"/Offline:OFF:LINE", {Unreadable, {}}},
        {u"/Offline:A,B", {Unreadable, {}}},
        {u"/Offline: /noui", {Unreadable, {}}},
        {u"/Offline /Offline:A", {Unreadable, {}}},
        {u"/Offline:SYSTEM\\ControlSet001", {Unreadable, {}}},
        {u"/Offline:A\tB", {Unreadable, {}}},
        {u"/Offline:" + longest + u"k", {Unreadable, {}}},
    };
    for (const auto& [commandLine, request] : table) {
        EXPECT_EQ(ReadRunOptions(commandLine).offline, request) << ::testing::PrintToString(commandLine);
    }
    for (const char16_t* hive : {u"system", u"Software", u"SAM", u"SECURITY", u"HARDWARE", u"BCD00000000",
                                 u"COMPONENTS", u"Drivers", u"ELAM", u"SCHEMA"}) {
        EXPECT_EQ(ReadRunOptions(u"/Offline:" + std::u16string(hive)).offline, (OfflineRequest{RunningWindowsHive, hive}));
    }
}

TEST(OfflineInstallations, AreTheSystemHivesOfTheFixedDrivesButTheRunningWindows) {
    const std::u16string c = SystemHiveFile(u"C:\\Windows"), d = SystemHiveFile(u"D:\\Windows");
    const struct {
        Paths drives;
        std::u16string running;
        Paths files;
        Paths found;
    } table[] = {
        {{u"C:\\", u"D:\\"}, u"c:\\WINDOWS\\", {c, d}, {u"D:\\Windows"}},
        {{u"C:\\", u"D:", u"X:\\"}, u"X:\\Windows", {c, d, SystemHiveFile(u"X:\\Windows")}, {u"C:\\Windows", u"D:\\Windows"}},
        {{u"C:\\"}, u"C:\\WINNT", {c}, {u"C:\\Windows"}},  // an older Windows beside the running one
        {{u"C:\\", u"D:\\"}, u"C:\\Windows", {c, SystemHiveFile(u"D:\\WINNT")}, {}},
    };
    MemoryRegistry registry;
    for (const auto& row : table) {
        MemoryOfflinePlatform platform(registry);
        platform.drives = row.drives;
        platform.windowsDirectory = row.running;
        for (const std::u16string& file : row.files) {
            platform.hiveFiles[file] = {};
        }
        EXPECT_EQ(FindOfflineInstallations(platform), row.found) << ::testing::PrintToString(row.running);
    }
    EXPECT_EQ(d, u"D:\\Windows\\System32\\config\\SYSTEM");
}

TEST(TemporaryHiveKey, IsANameAfterTheDriveThatNoKeyBelowHklmHasYet) {
    const struct {
        Paths existing;
        std::optional<std::u16string> name;
    } table[] = {
        {{u"HalvornOfflineE"}, u"HalvornOfflineD"},
        {{u"halvornofflined"}, u"HalvornOfflineD_2"},
        // A key that cannot be looked at is someone else's too.
        {{u"HalvornOfflineD", u"HalvornOfflineD_2*"}, u"HalvornOfflineD_3"},
        {{u"HalvornOfflineD", u"HalvornOfflineD_2", u"HalvornOfflineD_3", u"HalvornOfflineD_4", u"HalvornOfflineD_5",
          u"HalvornOfflineD_6", u"HalvornOfflineD_7", u"HalvornOfflineD_8", u"HalvornOfflineD_9"},
         std::nullopt},
    };
    for (const auto& row : table) {
        MemoryRegistry registry;
        for (std::u16string key : row.existing) {
            const bool unopenable = key.ends_with(u'*');
            key.resize(key.size() - (unopenable ? 1 : 0));
            registry.CreateKey(key);
            if (unopenable) {
                registry.MakeUnopenable(key);
            }
        }
        EXPECT_EQ(ChooseTemporaryHiveKey(registry, u"d:\\windows"), row.name) << row.existing.size();
        EXPECT_EQ(registry.OpenHandleCount(), 0u);
    }
}

TEST(LoadedHive, IsUnloadedOnEveryPathButNeverWhenItDidNotLoad) {
    MemoryRegistry registry;
    MemoryOfflinePlatform platform(registry);
    platform.hiveFiles[u"D:\\hive"] = {u"ControlSet001"};
    platform.EnableHivePrivileges();
    registry.CreateKey(u"Taken");
    try {
        const LoadedHive taken(platform, u"Taken", u"D:\\hive");
        EXPECT_EQ(taken.LoadStatus(), 183);
        const LoadedHive hive(platform, u"HalvornOfflineD", u"D:\\hive");
        ASSERT_TRUE(hive);
        throw std::runtime_error("a run cut short");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(platform.unloaded, Paths{u"HalvornOfflineD"});
    EXPECT_FALSE(registry.Exists(u"HalvornOfflineD"));
    EXPECT_TRUE(registry.Exists(u"Taken"));
}

const std::u16string kTarget(TargetServiceTable[0]);
const std::string kTargetName(kTarget.begin(), kTarget.end());

// The log lines of a hive with one control set and an invalid key below a target service.
Lines HiveLines(const std::string& hive, const std::string& deleted) {
    return JoinLines({SectionLines("ControlSet001", "Services", hive), {kTargetName + "\\" + deleted},
                      SectionLines("ControlSet001", "Enum", hive), SectionLines("ControlSet001", "Control", hive)});
}

// One machine: its registry with an invalid key of the running Windows, which no offline run
// touches, its files, its drives, and offline runs that save to the backup beside the log.
class OfflineRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry.CreateKey(kRunningKey);
        platform.hiveFiles[SystemHiveFile(u"C:\\Windows")] = {};
    }

    void TearDown() override {
        EXPECT_EQ(registry.OpenHandleCount(), 0u) << "a key handle leaked";
        EXPECT_TRUE(registry.Exists(kRunningKey));
    }

    RepairCounts Run(std::u16string_view commandLine) {
        runFiles.files.clear();
        RepairLog log(runFiles);
        BackupFile backup(log.Files());
        RegistryCleaner cleaner(registry, log, &backup);
        const RepairCounts counts = OfflineRun(cleaner, registry, log, &backup, platform).Run(commandLine);
        logLines = testing::LinesAfterHeader(runFiles.files[log.Path()]);
        backupText = testing::DecodeUtf16Le(runFiles.files[backup.Path()]);
        return counts;
    }

    const std::u16string kRunningKey = u"SYSTEM\\ControlSet001\\Services\\" + kTarget + u"\\$%&'(running";
    MemoryRegistry registry;
    MemoryOfflinePlatform platform{registry};
    MemoryLogPlatform runFiles;
    Lines logLines;
    std::u16string backupText;
};

TEST_F(OfflineRunTest, LoadsRepairsAndUnloadsEveryInstallationFoundAndSumsTheirCounts) {
    platform.hiveFiles[SystemHiveFile(u"D:\\Windows")] = {u"ControlSet001\\Services\\" + kTarget + u"\\$%&'(d"};
    platform.hiveFiles[SystemHiveFile(u"E:\\Windows")] = {u"ControlSet001\\Services\\" + kTarget + u"\\$%&'(e\\deep"};
    registry.CreateKey(u"HalvornOfflineD");  // left by someone else: the run takes another name

    const RepairCounts counts = Run(u"/Offline");

    EXPECT_EQ(counts.invalidCount, 2);
    EXPECT_EQ(counts.deletedCount, 2);
    EXPECT_FALSE(counts.failed);
    EXPECT_EQ(logLines, JoinLines({{"Offline: D:\\Windows, its hive D:\\Windows\\System32\\config\\SYSTEM loaded at "
                                    "HKLM\\HalvornOfflineD_2."},
                                   HiveLines("HalvornOfflineD_2", "$%&'(d"),
                                   {"Offline: E:\\Windows, its hive E:\\Windows\\System32\\config\\SYSTEM loaded at "
                                    "HKLM\\HalvornOfflineE."},
                                   HiveLines("HalvornOfflineE", "$%&'(e"), testing::SummaryLines(2, 2)}));
    // "reg load" under the name of the key lines, "reg import" and "reg unload" restore a tree.
    EXPECT_NE(backupText.find(u"\r\n[HKEY_LOCAL_MACHINE\\HalvornOfflineE\\ControlSet001\\Services\\" + kTarget +
                              u"\\$%&'(e\\deep]\r\n"),
              std::u16string::npos);
    EXPECT_EQ(platform.unloaded, (Paths{u"HalvornOfflineD_2", u"HalvornOfflineE"}));
    EXPECT_TRUE(registry.Exists(u"HalvornOfflineD"));
    EXPECT_FALSE(registry.Exists(u"HalvornOfflineE"));
    // Each installation's Windows\Temp holds the whole log and the backup of its own trees, which
    // a tree must reach before it is deleted.
    const auto installationFile = [&](const char16_t* drive, const char16_t* extension) {
        return runFiles.files[drive + std::u16string(u"\\Windows\\Temp\\Brimwell12-7-2026 9h5m3s") + extension];
    };
    for (const auto& [drive, own, other] : {std::tuple(u"D:", u"\\HalvornOfflineD_2\\", u"HalvornOfflineE"),
                                            std::tuple(u"E:", u"\\HalvornOfflineE\\", u"HalvornOfflineD")}) {
        EXPECT_EQ(testing::LinesAfterHeader(installationFile(drive, u".log")), logLines);
        const std::u16string backup = testing::DecodeUtf16Le(installationFile(drive, u".reg"));
        EXPECT_NE(backup.find(own), std::u16string::npos);
        EXPECT_EQ(backup.find(other), std::u16string::npos);
    }
    runFiles.failingDirectory = u"E:\\Windows\\Temp\\";
    EXPECT_EQ(Run(u"/Offline").deletedCount, 1);
}

TEST_F(OfflineRunTest, EveryRunSaysInTheLogWhatItRepairedOrWhyItCouldNot) {
    registry.CreateKey(u"OFFLINE\\ControlSet001\\Services\\" + kTarget + u"\\$%&'(a");
    const std::u16string d = SystemHiveFile(u"D:\\Windows");
    const std::string unreadable =
        "Offline: nothing was repaired: give the option once, alone or with the key name below HKLM at which the "
        "hive is loaded (one name, without \\ / - : or ,).";
    const std::string noneFound =
        "Offline: no Windows installation found on the local fixed drives other than the running one.";
    const struct {
        std::u16string commandLine;
        bool privilegesHeld;
        bool withHiveOnD;
        Lines lines;
        int found;
    } table[] = {
        // The hive that the administrator loaded needs no privileges and stays loaded.
        {u"/noui /Offline:OFFLINE", false, false, HiveLines("OFFLINE", "$%&'(a"), 1},
        {u"/Offline:OFF-LINE", true, true, {unreadable}, 0},
        {u"/Offline:system", true, true, {"Offline: HKLM\\system is a hive of the running Windows: nothing was repaired."}, 0},
        {u"/Offline:NotLoaded", true, true, {"Offline: HKLM\\NotLoaded could not be opened."}, 0},
        {u"/Offline", false, true,
         {"Offline: SeBackupPrivilege and SeRestorePrivilege could not be enabled: no hive was loaded."}, 0},
        {u"/Offline /Report", true, false, {noneFound, "Report only: no key was deleted."}, 0},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(::testing::PrintToString(row.commandLine));
        platform.privilegesHeld = row.privilegesHeld;
        platform.hiveFiles.erase(d);
        if (row.withHiveOnD) {
            platform.hiveFiles[d] = {u"ControlSet001\\Services\\" + kTarget + u"\\$%&'(d"};
        }
        const RepairCounts counts = Run(row.commandLine);
        EXPECT_EQ(counts.failed, row.found == 0);
        EXPECT_EQ(logLines, JoinLines({row.lines, testing::SummaryLines(row.found, row.found)}));
        EXPECT_TRUE(platform.unloaded.empty());
    }
    EXPECT_FALSE(registry.Exists(u"OFFLINE\\ControlSet001\\Services\\" + kTarget + u"\\$%&'(a"));
    EXPECT_TRUE(registry.Exists(u"OFFLINE\\ControlSet001\\Services\\" + kTarget));

    // An installation that cannot be loaded fails the run, but not the repair of the others.
    platform.hiveFiles[d] = {};
    platform.loadFailures[d] = 32;  // ERROR_SHARING_VIOLATION: the hive is in use
    platform.hiveFiles[SystemHiveFile(u"E:\\Windows")] = {u"ControlSet001\\Services\\" + kTarget + u"\\$%&'(e"};
    const RepairCounts counts = Run(u"/noui /Offline");
    EXPECT_TRUE(counts.failed);
    EXPECT_EQ(counts.deletedCount, 1);
    EXPECT_EQ(logLines.at(0), "Offline: D:\\Windows: its hive D:\\Windows\\System32\\config\\SYSTEM could not be loaded (error 32).");
    EXPECT_EQ(platform.unloaded, Paths{u"HalvornOfflineE"});
}

}  // namespace
}  // namespace halvorn
