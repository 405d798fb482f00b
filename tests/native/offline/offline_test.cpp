// The repair of other Windows installations' system hives, run against the in-memory registry,
// files and hive loading of one machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/registry/ascii_case.h"
#include "engine/backup/backup_file.h"
#include "engine/offline/loaded_hive.h"
#include "engine/offline/offline_installations.h"
#include "engine/offline/offline_run.h"
#include "engine/repair/target_services.h"
#include "tests/support/log_lines.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_offline_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/support/utf16_text.h"

namespace halvorn {
namespace {

using testing::JoinLines;
using testing::SectionLines;
using testing::SummaryLines;
using Lines = testing::LogLines;
using Paths = std::vector<std::u16string>;

const std::u16string kTarget(TargetServiceTable[0]);

// Another installation's system hive: a numbered control set and Select, but no CurrentControlSet,
// which Windows links only at start-up; and a key outside the three roots that no run touches.
const Paths kHive = {u"ControlSet002\\Services\\" + kTarget + u"\\$%&'(a\\deep", u"Select",
                     u"Setup\\" + kTarget + u"\\$%&'(z"};

// The log lines of kHive repaired at HKLM\key.
Lines HiveLines(const std::string& key) {
    return JoinLines({SectionLines("ControlSet002", "Services", key),
                      {std::string(kTarget.begin(), kTarget.end()) + "\\$%&'(a"},
                      SectionLines("ControlSet002", "Enum", key), SectionLines("ControlSet002", "Control", key)});
}

std::string LoadedLine(const std::string& drive, const std::string& key) {
    return "Offline: " + drive + ":\\Windows, its hive " + drive +
           ":\\Windows\\System32\\config\\SYSTEM loaded at HKLM\\" + key + ".";
}

// One machine, with the running Windows' hive file on C:, installations on D: and F:, and on E: a
// file that does not load; G: is a subst drive of C:.
class OfflineRunTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(registry.OpenHandleCount(), 0u) << "a key handle leaked";
        EXPECT_EQ(machine.loadedHives, 0) << "a hive that the run loaded stayed, or one that it did not went";
    }

    // A run that saves to the backup beside the log.
    RepairCounts Run(std::u16string_view commandLine) {
        runFiles.files.clear();
        RepairLog log(runFiles);
        BackupFile backup(log.Files());
        RegistryCleaner cleaner(registry, log, &backup);
        const RepairCounts counts = OfflineRun(cleaner, registry, log, &backup, machine).Run(commandLine, ReadRunOptions(commandLine));
        logLines = testing::LinesAfterHeader(runFiles.files[log.Path()]);
        return counts;
    }

    testing::MemoryRegistry registry;
    testing::MemoryLogPlatform runFiles;
    testing::MemoryOfflinePlatform machine = [this] {
        testing::MemoryOfflinePlatform platform(registry);
        platform.hiveFiles = {
            {u"C:\\Windows\\System32\\config\\SYSTEM", kHive}, {u"D:\\Windows\\System32\\config\\SYSTEM", kHive},
            {u"E:\\Windows\\System32\\config\\SYSTEM", {}}, {u"F:\\Windows\\System32\\config\\SYSTEM", kHive},
            {u"G:\\Windows\\System32\\config\\SYSTEM", kHive}};
        return platform;
    }();
    Lines logLines;
};

TEST_F(OfflineRunTest, RepairsEveryInstallationFoundAndLeavesItsCopiesInItsWindowsTemp) {
    registry.CreateKey(u"HalvornOfflineD");  // left by someone else: the run takes another name

    // The file that does not load fails the run, but not the repair of the others.
    EXPECT_TRUE(Run(u"/Offline").failed);
    EXPECT_EQ(logLines, JoinLines({{LoadedLine("D", "HalvornOfflineD_2")}, HiveLines("HalvornOfflineD_2"),
                                   {"Offline: E:\\Windows: its hive E:\\Windows\\System32\\config\\SYSTEM could not "
                                    "be loaded (error 1009).",
                                    LoadedLine("F", "HalvornOfflineF")},
                                   HiveLines("HalvornOfflineF"), SummaryLines(2, 2)}));
    // F: keeps the whole log and the backup of its own trees, which each reaches before its deletion.
    const std::u16string copies = u"F:\\Windows\\Temp\\Brimwell12-7-2026 9h5m3s";
    EXPECT_EQ(testing::LinesAfterHeader(runFiles.files[copies + u".log"]), logLines);
    const std::u16string backup = testing::DecodeUtf16Le(runFiles.files[copies + u".reg"]);
    EXPECT_NE(backup.find(u"\r\n[HKEY_LOCAL_MACHINE\\HalvornOfflineF\\ControlSet002\\Services\\"),
              std::u16string::npos);
    EXPECT_EQ(backup.find(u"HalvornOfflineD_2"), std::u16string::npos);
    // A copy that cannot be written keeps its tree.
    runFiles.failingDirectory = u"F:\\Windows\\Temp\\";
    EXPECT_EQ(Run(u"/Offline").deletedCount, 1);
    // No copy is written below a link, and the trees are saved beside the run's own log all the same.
    // A hive that stays loaded fails the run, and the log says how to unload it.
    machine.links = {u"F:\\Windows\\Temp"};
    machine.refusedUnloads = 5;
    EXPECT_EQ(Run(u"/Offline").deletedCount, 2);
    EXPECT_FALSE(runFiles.files.contains(copies + u".log") || runFiles.files.contains(copies + u".reg"));
    for (const char* line :
         {"Offline: F:\\Windows\\Temp is a link: no copy of the log or the backup is written below it.",
          "Offline: HKLM\\HalvornOfflineD_2 could not be unloaded (error 5): unload it with reg unload "
          "HKLM\\HalvornOfflineD_2."}) {
        EXPECT_EQ(std::ranges::count(logLines, line), 1) << line;
    }
    machine.UnloadHive(u"HalvornOfflineD_2");

    // A run cut short still unloads the hive that it loaded, trying again as the run does.
    machine.refusedUnloads = 4;
    try {
        const LoadedHive hive(machine, u"HalvornOfflineF", u"F:\\Windows\\System32\\config\\SYSTEM");
        ASSERT_EQ(machine.loadedHives, 1);
        throw std::runtime_error("a run cut short");
    } catch (const std::runtime_error&) {
    }
}

TEST_F(OfflineRunTest, EveryRunSaysInTheLogWhatItRepairedOrWhyItCouldNot) {
    // The hive that an administrator loaded needs no privileges, and stays loaded.
    const LoadedHive offline(machine, u"OFFLINE", u"D:\\Windows\\System32\\config\\SYSTEM");
    machine.privilegesHeld = false;
    EXPECT_FALSE(Run(u"/noui /Offline:OFFLINE").failed);
    EXPECT_EQ(logLines, JoinLines({HiveLines("OFFLINE"), SummaryLines(1, 1)}));
    EXPECT_TRUE(Run(u"/Offline").failed);
    EXPECT_EQ(logLines.at(0),
              "Offline: SeBackupPrivilege and SeRestorePrivilege could not be enabled: no hive was loaded.");
    machine.privilegesHeld = true;

    const std::u16string d = u"HalvornOfflineD";
    registry.CreateKey(d + u"_2");
    registry.MakeUnopenable(d + u"_2");  // someone else's too, though the run cannot look into it
    const std::string unreadable = "Offline: nothing was repaired: give the option once, alone or with the key name "
                                   "below HKLM at which the hive is loaded (one name, without \\ / - : or ,).";
    // Rows: keys added below HKLM before the run, the command line, and the first line of its log.
    const struct {
        Paths keys;
        std::u16string commandLine;
        std::string line;
    } table[] = {
        {{}, u"/noui -OFFLINE", LoadedLine("D", "HalvornOfflineD")},
        {{u"halvornofflined"}, u"/Offline", LoadedLine("D", "HalvornOfflineD_3")},
        {{d + u"_3", d + u"_4", d + u"_5", d + u"_6", d + u"_7", d + u"_8", d + u"_9"}, u"/Offline",
         "Offline: D:\\Windows: no free key below HKLM to load its hive at."},
        {{}, u"/Offline:system", "Offline: HKLM\\system is a hive of the running Windows: nothing was repaired."},
        {{}, u"/Offline:\"Old Disk\" /noui", "Offline: HKLM\\Old Disk could not be opened."},
        // The option grammar cuts a value at "/" and "-" and drops ":": the rest would name another key.
        {{}, u"/Offline:OFF-LINE", unreadable},
        {{}, u"/Offline:OFF:LINE", unreadable},
        {{}, u"/Offline /Offline:A", unreadable},
        {{}, u"/Offline:OFFLINE\\ControlSet002", unreadable},
        {{}, u"\"/Offline:A\tB\"", unreadable},
    };
    // The file on E: fails every run that searches.
    for (const auto& row : table) {
        for (const std::u16string& key : row.keys) {
            registry.CreateKey(key);
        }
        EXPECT_TRUE(Run(row.commandLine).failed);
        EXPECT_EQ(logLines.at(0), row.line) << ::testing::PrintToString(row.commandLine);
    }
    machine.hiveFiles.clear();
    EXPECT_TRUE(Run(u"/Offline").failed);
    EXPECT_EQ(logLines.at(0),
              "Offline: no Windows installation found on the local fixed drives other than the running one.");
}

}  // namespace
}  // namespace halvorn
