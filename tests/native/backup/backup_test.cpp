// The backup of every deleted tree, the report-only run and the run without backup, against the
// in-memory registry and files.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/restore_message.h"
#include "engine/restore/backup_names.h"
#include "engine/restore/backup_restore.h"
#include "engine/backup/reg_file_format.h"
#include "engine/repair/registry_cleaner.h"
#include "engine/options/run_options.h"
#include "engine/repair/target_services.h"
#include "tests/support/log_lines.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/support/utf16_text.h"

namespace halvorn {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using testing::DecodeUtf16Le;
using testing::JoinLines;
using testing::LinesAfterHeader;
using testing::MemoryLogPlatform;
using testing::MemoryRegistry;
using testing::SectionLines;
using testing::SummaryLines;
using Lines = testing::LogLines;
using Paths = std::vector<std::u16string>;

const std::u16string kService = u"SYSTEM\\ControlSet001\\Services\\" + std::u16string(TargetServiceTable[0]);
const std::u16string kDevice = u"SYSTEM\\ControlSet001\\Enum\\" + std::u16string(TargetServiceTable[1]);
const std::string kServiceName(TargetServiceTable[0].begin(), TargetServiceTable[0].end());
constexpr char16_t kBackupPath[] = u"C:\\Temp\\Brimwell12-7-2026 9h5m3s.reg";
constexpr char kFileStart[] = "\xFF\xFE";  // UTF-16LE byte-order mark

RegistryValue Dword(std::u16string name, std::uint8_t low) { return {std::move(name), kRegDword, {low, 0, 0, 0}}; }

RegistryValue Text(std::u16string name, std::u16string_view text) {
    return {std::move(name), kRegSz, testing::Utf16Bytes(std::u16string(text) + u'\0')};
}

// One machine: its registry, its files, and a cleaner that saves to the backup beside the log.
class BackupRun : public ::testing::Test {
protected:
    // The run records its backup, as the program's runs do.
    BackupRun() { log.Files().RecordBackupIn(&files); }

    void TearDown() override { EXPECT_EQ(registry.OpenHandleCount(), 0u) << "a key handle leaked"; }

    void Add(const std::u16string& path) { registry.CreateKey(path); }

    // Three invalid trees: one with values at two levels, a plain one, and one under Enum.
    void SeedThreeTrees() {
        registry.SetValue(kService + u"\\$%&'(a", Text(u"", u"default"));
        registry.SetValue(kService + u"\\$%&'(a", Dword(u"Start", 2));
        registry.SetValue(kService + u"\\$%&'(a\\Sub", {u"Blob", kRegBinary, {0xde, 0xad}});
        Add(kService + u"\\$%&'(b");
        Add(kService + u"\\Parameters");
        registry.SetValue(kDevice + u"\\0000\\$%&'(e", Text(u"Name", u"x\"y"));
    }

    static std::u16string TreeA() {
        return u"\r\n[HKEY_LOCAL_MACHINE\\" + kService + u"\\$%&'(a]\r\n"
               u"@=\"default\"\r\n\"Start\"=dword:00000002\r\n"
               u"\r\n[HKEY_LOCAL_MACHINE\\" + kService + u"\\$%&'(a\\Sub]\r\n"
               u"\"Blob\"=hex:de,ad\r\n"
               u"\r\n";
    }
    static std::u16string TreeB() { return u"\r\n[HKEY_LOCAL_MACHINE\\" + kService + u"\\$%&'(b]\r\n\r\n"; }
    static std::u16string TreeE() {
        return u"\r\n[HKEY_LOCAL_MACHINE\\" + kDevice + u"\\0000\\$%&'(e]\r\n\"Name\"=\"x\\\"y\"\r\n\r\n";
    }

    // Trees of random shape below the target services, with values of every type, names with the
    // characters that the file escapes, and data of every length.
    void SeedRandomTrees(std::uint32_t seed, int trees) {
        std::mt19937 random(seed);
        const auto pick = [&random](std::size_t count) { return static_cast<std::size_t>(random() % count); };
        const std::u16string letters = u"aZ09 \"[]=@-,:;%\u00e9\u4e2d";
        const auto name = [&](std::size_t longest) {
            std::u16string text;
            for (std::size_t length = pick(longest); length > 0; --length) {
                text += letters[pick(letters.size())];
            }
            return text;
        };
        constexpr std::uint32_t kTypes[] = {kRegNone, kRegSz, kRegExpandSz, kRegBinary, kRegDword, kRegMultiSz, kRegQword, 0x12345};
        constexpr const char16_t* kRoots[] = {u"\\Services\\", u"\\Enum\\", u"\\Control\\"};
        for (int tree = 0; tree < trees; ++tree) {
            std::u16string path = u"SYSTEM\\ControlSet001" + std::u16string(kRoots[pick(3)]) +
                                  std::u16string(TargetServiceTable[pick(TargetServiceTable.size())]) + u"\\$%&'(" + name(8);
            for (std::size_t key = 0, keys = 1 + pick(4); key < keys; ++key) {
                for (std::size_t value = 0, values = pick(4); value < values; ++value) {
                    std::vector<std::uint8_t> data(pick(120));
                    for (std::uint8_t& byte : data) {
                        byte = static_cast<std::uint8_t>(random());
                    }
                    registry.SetValue(path, {name(10) + u"\\" + name(3), kTypes[pick(std::size(kTypes))], data});
                }
                Add(path);
                path += u"\\" + name(6) + u"x";
            }
        }
    }

    // Every key below SYSTEM with its values.
    std::vector<std::pair<std::u16string, std::vector<RegistryValue>>> Contents() const {
        std::vector<std::pair<std::u16string, std::vector<RegistryValue>>> contents;
        for (const std::u16string& path : registry.ListTree(u"SYSTEM")) {
            contents.emplace_back(path, registry.Values(u"SYSTEM\\" + path));
        }
        return contents;
    }

    // A restore started a second after the repair, so that its log has a name of its own.
    RestoreResult Restore(std::u16string_view commandLine) {
        ++files.now.second;
        RepairLog restoreLog(files);
        const RestoreResult result = BackupRestore(registry, restoreLog, files, files).Run(ReadRunOptions(commandLine));
        restoreLines = LinesAfterHeader(files.files.at(restoreLog.Path()));
        return result;
    }

    bool HasBackup() const { return files.files.contains(kBackupPath); }

    // The backup's text after its byte-order mark and header line.
    std::u16string BackupTrees() const {
        const std::string& bytes = files.files.at(kBackupPath);
        EXPECT_EQ(bytes.substr(0, 2), kFileStart);
        const std::u16string text = DecodeUtf16Le(std::string_view(bytes).substr(2));
        constexpr std::u16string_view kHeader = u"Windows Registry Editor Version 5.00\r\n";
        EXPECT_EQ(text.substr(0, kHeader.size()), kHeader);
        return text.substr(kHeader.size());
    }

    Lines LogLines() const { return LinesAfterHeader(files.files.at(log.Path())); }

    static Lines RunLines(const Lines& servicesLines, const Lines& enumLines, int found, int deleted) {
        return JoinLines({SectionLines("ControlSet001", "Services"), servicesLines,
                          SectionLines("ControlSet001", "Enum"), enumLines,
                          SectionLines("ControlSet001", "Control"), SummaryLines(found, deleted)});
    }

    MemoryRegistry registry;
    MemoryLogPlatform files;
    RepairLog log{files};
    BackupFile backup{log.Files()};
    RegistryCleaner cleaner{registry, log, &backup};
    Lines restoreLines;
};

TEST_F(BackupRun, SavesEveryTreeBesideTheLogBeforeDeletingIt) {
    SeedThreeTrees();
    cleaner.Run(u"/noui");
    EXPECT_EQ(cleaner.invalidCount, 3);
    EXPECT_EQ(cleaner.deletedCount, 3);
    EXPECT_EQ(BackupTrees(), TreeA() + TreeB() + TreeE());
    // The log is the one that a run without backup writes.
    EXPECT_EQ(LogLines(), RunLines({kServiceName + "\\$%&'(a", kServiceName + "\\$%&'(b"}, {"0000\\$%&'(e"}, 3, 3));
}

TEST_F(BackupRun, ARunThatFindsNothingReadsNoValueAndWritesNoBackup) {
    registry.SetValue(kService + u"\\Parameters", Dword(u"Start", 2));
    Add(kService + u"\\Parameters\\Deeper");
    cleaner.Run(u"/noui /Override");
    EXPECT_EQ(cleaner.invalidCount, 0);
    EXPECT_EQ(registry.Calls().value, 0u);
    EXPECT_FALSE(HasBackup());
}

TEST_F(BackupRun, ATreeThatCannotBeReadWholeStaysWholeAndTheRunGoesOn) {
    SeedThreeTrees();
    registry.SetValue(kService + u"\\$%&'(b\\Deep\\Deeper", Dword(u"Locked", 1));
    registry.MakeValueUnreadable(kService + u"\\$%&'(b\\Deep\\Deeper", u"Locked");
    registry.SetValue(kDevice + u"\\0000\\$%&'(e\\Sub", Dword(u"Line\nBreak", 1));
    Add(kService + u"\\$%&'(c\\Hidden");
    registry.MakeUnopenable(kService + u"\\$%&'(c\\Hidden");
    // Key names that no key line can carry, made as the native calls can make them; the name with
    // a NUL has a sibling that a name cut at the NUL would reach instead.
    const Paths unsavable = {u"$%&'(\rown", u"$%&'(d\\Deep\\a\nb", u"$%&'(f\\line\r", u"$%&'(h\\Deep\\a\0b"s,
                             u"$%&'(h\\Deep\\a"};
    for (const std::u16string& path : unsavable) {
        Add(kService + u"\\" + path);
    }
    cleaner.Run(u"");
    EXPECT_EQ(cleaner.invalidCount, 8);
    EXPECT_EQ(cleaner.deletedCount, 1);
    EXPECT_EQ(BackupTrees(), TreeA());
    EXPECT_EQ(registry.ListTree(kService),
              (Paths{u"$%&'(\rown", u"$%&'(b", u"$%&'(b\\Deep", u"$%&'(b\\Deep\\Deeper", u"$%&'(c", u"$%&'(c\\Hidden",
                     u"$%&'(d", u"$%&'(d\\Deep", u"$%&'(d\\Deep\\a\nb", u"$%&'(f", u"$%&'(f\\line\r", u"$%&'(h",
                     u"$%&'(h\\Deep", u"$%&'(h\\Deep\\a", u"$%&'(h\\Deep\\a\0b"s, u"Parameters"}));
    EXPECT_TRUE(registry.Exists(kDevice + u"\\0000\\$%&'(e\\Sub"));
    EXPECT_EQ(LogLines(), RunLines({kServiceName + "\\$%&'(a"}, {}, 8, 1));
}

TEST_F(BackupRun, DeletesOnlyWhatTheFileHasTaken) {
    SeedThreeTrees();
    files.wholeAppendsLeft = 0;
    cleaner.Run(u"");
    EXPECT_EQ(cleaner.invalidCount, 3);
    EXPECT_EQ(cleaner.deletedCount, 0);
    EXPECT_FALSE(HasBackup());
    EXPECT_EQ(LogLines(), RunLines({}, {}, 3, 0));

    // Room for one tree more.
    files.wholeAppendsLeft = 1;
    RegistryCleaner later(registry, log, &backup);
    later.Run(u"");
    EXPECT_EQ(later.invalidCount, 3);
    EXPECT_EQ(later.deletedCount, 1);
    EXPECT_EQ(BackupTrees(), TreeA());
    EXPECT_TRUE(registry.Exists(kService + u"\\$%&'(b"));
    EXPECT_TRUE(registry.Exists(kDevice + u"\\0000\\$%&'(e"));

    // Another account takes the backup over: every tree after it stays, and the log says why, once.
    files.wholeAppendsLeft = -1;
    files.plantedFiles.insert(kBackupPath);
    RegistryCleaner taken(registry, log, &backup);
    taken.Run(u"");
    EXPECT_EQ(taken.deletedCount, 0);
    EXPECT_EQ(std::ranges::count(LogLines(), "Backup: C:\\Temp\\Brimwell12-7-2026 9h5m3s.reg is no longer this "
                                             "run's own file, so the invalid keys not saved to it yet are kept."),
              1);
}

// The backup is written before the deletion starts, so what a failed deletion removed can be
// restored from it.
TEST_F(BackupRun, APartlyDeletedTreeIsSavedWhole) {
    Add(kService + u"\\$%&'(p\\a");
    Add(kService + u"\\$%&'(p\\b");
    registry.MakeUndeletable(kService + u"\\$%&'(p\\b");
    cleaner.Run(u"");
    EXPECT_EQ(cleaner.deletedCount, 0);
    EXPECT_EQ(registry.ListTree(kService), (Paths{u"$%&'(p", u"$%&'(p\\b"}));
    const std::u16string key = u"\r\n[HKEY_LOCAL_MACHINE\\" + kService + u"\\$%&'(p";
    EXPECT_EQ(BackupTrees(), key + u"]\r\n" + key + u"\\a]\r\n" + key + u"\\b]\r\n\r\n");
}

// Without a backup there is no line to carry a name: trees with line breaks in names go too.
TEST_F(BackupRun, NoBackupDeletesWithoutSaving) {
    for (const char16_t* commandLine : {u"/NoBackup", u"/noui -nobackup", u"/NOBACKUP:yes"}) {
        SeedThreeTrees();
        Add(kService + u"\\$%&'(\n\\a\rb");
        RegistryCleaner run(registry, log, &backup);
        run.Run(commandLine);
        EXPECT_EQ(run.deletedCount, 4);
        EXPECT_FALSE(HasBackup());
    }
}

TEST_F(BackupRun, ReportFindsAndLogsWhatARunWouldDeleteAndTouchesNothing) {
    SeedThreeTrees();
    Add(kService + u"\\$%&'(a\\$%&'(inner");
    Add(kService + u"\\$%&'(stuck");
    registry.MakeUndeletable(kService + u"\\$%&'(stuck");
    const Paths before = registry.ListTree(u"SYSTEM");
    cleaner.Run(u"/noui /Report");
    EXPECT_EQ(cleaner.invalidCount, 4);
    EXPECT_EQ(cleaner.deletedCount, 0);
    EXPECT_EQ(registry.ListTree(u"SYSTEM"), before);
    EXPECT_EQ(registry.Calls().remove, 0u);
    EXPECT_EQ(registry.Calls().value, 0u);
    EXPECT_FALSE(HasBackup());
    const Lines found = {kServiceName + "\\$%&'(a", kServiceName + "\\$%&'(b", kServiceName + "\\$%&'(stuck"};
    Lines expected = RunLines(found, {"0000\\$%&'(e"}, 4, 0);
    expected.insert(expected.end() - 4, "Report only: no key was deleted.");
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(BackupRun, AReportThroughTheCurrentControlSetLinkListsWhatADeletingRunDeletes) {
    SeedThreeTrees();
    Add(u"SYSTEM\\ControlSet002\\Services\\" + std::u16string(TargetServiceTable[0]) + u"\\$%&'(old");
    registry.CreateLink(u"SYSTEM\\CurrentControlSet", u"SYSTEM\\ControlSet001");
    registry.SetValue(u"SYSTEM\\Select", Dword(u"Current", 1));
    MemoryLogPlatform reportFiles;
    RepairLog reportLog(reportFiles);
    RegistryCleaner report(registry, reportLog);
    report.Run(u"/Report");
    cleaner.Run(u"");

    EXPECT_EQ(report.invalidCount, 4);
    EXPECT_EQ(cleaner.invalidCount, 4);
    EXPECT_EQ(cleaner.deletedCount, 4);
    Lines expected = LogLines();
    expected.insert(expected.end() - 4, "Report only: no key was deleted.");
    expected[expected.size() - 2] = "Deleted registry keys count\t: 0";
    EXPECT_EQ(LinesAfterHeader(reportFiles.OnlyFile()), expected);
}

TEST_F(BackupRun, ARestorePutsBackExactlyWhatTheRepairDeletedAndASecondChangesNothing) {
    SeedThreeTrees();
    SeedRandomTrees(20261209, 40);
    const auto before = Contents();
    cleaner.Run(u"/noui");
    ASSERT_EQ(cleaner.deletedCount, cleaner.invalidCount);
    ASSERT_NE(Contents(), before);

    const int appendsBefore = files.appendCalls;
    const RestoreResult restored = Restore(u"/noui /Restore /ExitCode");
    // The lines of the trees written back go to the log together, not one append each.
    EXPECT_LT(files.appendCalls - appendsBefore, 12);
    EXPECT_EQ(restored, (RestoreResult{kBackupPath, cleaner.deletedCount, cleaner.deletedCount}));
    EXPECT_EQ(Contents(), before);
    ASSERT_EQ(restoreLines.size(), 3u + cleaner.deletedCount + 4u);
    EXPECT_EQ(restoreLines[1], "Restore of C:\\Temp\\Brimwell12-7-2026 9h5m3s.reg into HKLM\\SYSTEM");
    EXPECT_NE(std::find(restoreLines.begin(), restoreLines.end(),
                        "HKLM\\SYSTEM\\ControlSet001\\Services\\" + kServiceName + "\\$%&'(a"),
              restoreLines.end());
    EXPECT_EQ(restoreLines[restoreLines.size() - 2], "Restored trees count\t: " + std::to_string(cleaner.deletedCount));

    EXPECT_EQ(Restore(u"/Restore \"C:\\Temp\\Brimwell12-7-2026 9h5m3s.reg\""), restored);
    EXPECT_EQ(Contents(), before);
}

TEST_F(BackupRun, ARestoreWritesNothingFromAFileItCannotTrustAndOnlyTheTreeItselfWhereItsKeyIsGone) {
    SeedThreeTrees();
    cleaner.Run(u"");
    const auto repaired = Contents();
    // A copy planted under a newer name by another account, with no record, is refused, and passed
    // over by /Restore alone, which names it.
    const std::u16string planted = u"C:\\Temp\\Brimwell12-7-2026 9h5m4s.reg";
    const std::string saved = files.files.at(kBackupPath);
    files.files[planted] = saved;
    files.plantedFiles.insert(planted);
    const RestoreResult refused = Restore(u"/Restore \"" + planted + u"\"");
    EXPECT_TRUE(refused.refused);
    EXPECT_EQ(refused.restoredCount, 0);
    EXPECT_EQ(restoreLines[3], "Restore refused: C:\\Temp\\Brimwell12-7-2026 9h5m4s.reg, no run recorded it, and its "
                               "owner is neither the system account, Administrators nor TrustedInstaller. Nothing was "
                               "written.");
    EXPECT_EQ(RestoreMessage(refused, u"C:\\Temp\\r.log"),
              u"Nothing was restored: " + refused.refusal + u".\n\nThe log: C:\\Temp\\r.log");
    for (const char16_t* commandLine : {u"/Restore /Report", u"/Restore /Offline", u"/Restore a /Restore b",
                                        u"/Restore \\\\server\\share\\b.reg", u"/Restore \\\\.\\pipe\\b"}) {
        EXPECT_TRUE(Restore(commandLine).refused);
    }
    // A file of the backup's form without a tree, and one that the process lacks the memory for.
    files.files[u"C:\\Temp\\empty.reg"] = kFileStart + EncodeUtf16Le(kRegFileHeader);
    EXPECT_EQ(Restore(u"/Restore C:\\Temp\\empty.reg").refusal, u"C:\\Temp\\empty.reg, it holds no tree that a repair deleted");
    files.readsRunOutOfMemory = true;
    EXPECT_EQ(Restore(u"/Restore \"" + std::u16string(kBackupPath) + u"\"").refusal,
              kBackupPath + std::u16string(u", there is not enough memory to read it"));
    EXPECT_EQ(restoreLines[1], "Restore refused: " + std::string(kBackupPath, kBackupPath + std::size(kBackupPath) - 1) +
                                   ", there is not enough memory to read it. Nothing was written.");
    files.readsRunOutOfMemory = false;
    EXPECT_EQ(Contents(), repaired);

    // The newest recorded backup, changed after its run or gone, is refused: an older one never
    // takes its place.
    const std::u16string older = u"C:\\Temp\\Brimwell12-7-2026 9h5m2s.reg";
    files.files[older] = saved;
    files.RecordAsItIs(older);
    files.files[kBackupPath] += saved.substr(2);
    EXPECT_EQ(Restore(u"/Restore").refusal, std::u16string(kBackupPath) + u", it was changed after its run wrote it");
    EXPECT_EQ(restoreLines[3], "Passed over, no run recorded it: C:\\Temp\\Brimwell12-7-2026 9h5m4s.reg");
    files.files.erase(kBackupPath);
    EXPECT_EQ(Restore(u"/Restore").refusal, std::u16string(kBackupPath) + u", it does not exist");
    EXPECT_EQ(Contents(), repaired);
    files.files[kBackupPath] = saved;

    registry.RemoveTree(kDevice + u"\\0000");
    registry.MakeReadOnly(kService);
    const RestoreResult partly = Restore(u"/Restore");
    EXPECT_EQ(partly, (RestoreResult{kBackupPath, 3, 0}));
    EXPECT_EQ(RestoreMessage(partly, u"r.log"),
              u"Restored 0 of the 3 trees in\n" + std::u16string(kBackupPath) +
                  u"\n\nThe others could not be written back whole; the log names them.\n\nThe log: r.log");
    EXPECT_FALSE(registry.Exists(kDevice + u"\\0000"));
    EXPECT_EQ(restoreLines[4], "Not restored whole, access is denied (error 5): HKLM\\SYSTEM\\ControlSet001\\Services\\" + kServiceName +
                                   "\\$%&'(a");
    EXPECT_EQ(restoreLines[6], "Not restored, the key that held it is gone: HKLM\\SYSTEM\\ControlSet001\\Enum\\" +
                                   std::string(TargetServiceTable[1].begin(), TargetServiceTable[1].end()) +
                                   "\\0000\\$%&'(e");

    // Into a hive loaded elsewhere, whatever hive key the backup names.
    registry.CreateKey(u"OFFLINE\\ControlSet001\\Enum\\" + std::u16string(TargetServiceTable[1]) + u"\\0000");
    EXPECT_EQ(Restore(u"/Offline:OFFLINE /Restore").restoredCount, 1);
    EXPECT_EQ(registry.Values(u"OFFLINE\\ControlSet001\\Enum\\" + std::u16string(TargetServiceTable[1]) +
                              u"\\0000\\$%&'(e"),
              std::vector{Text(u"Name", u"x\"y")});

    // The key that held two trees swapped for a link: nothing is written where it leads.
    registry.RemoveTree(kService);
    registry.CreateKey(u"SYSTEM\\Victim");
    registry.CreateLink(kService, u"SYSTEM\\Victim");
    EXPECT_EQ(Restore(u"/Restore"), (RestoreResult{kBackupPath, 3, 0}));
    EXPECT_EQ(registry.ListTree(u"SYSTEM\\Victim"), Paths{});
    EXPECT_EQ(restoreLines[4], "Not restored, a key on its way down is a registry link: HKLM\\SYSTEM\\ControlSet001\\"
                               "Services\\" + kServiceName + "\\$%&'(a");
}

TEST(BackupNames, NewestFirstByTheTimeInTheNameThenByTheCounter) {
    EXPECT_EQ(NewestBackupsFirst({u"Brimwell12-7-2026 9h5m3s.reg", u"Brimwell12-7-2026 9h5m3s (2).reg",
                                  u"Brimwell1-8-2027 0h0m0s.reg", u"Brimwell12-7-2026 10h0m0s.reg",
                                  u"Brimwell12-7-2026 9h5m3s (10).REG", u"Brimwell12-7-2026 9h5m3s.log",
                                  u"Brimwell12-7-2026 9h5m3s (x).reg", u"Brimwell12-7-2026.reg", u"other.reg"}),
              (std::vector<std::u16string>{u"Brimwell1-8-2027 0h0m0s.reg", u"Brimwell12-7-2026 10h0m0s.reg",
                                           u"Brimwell12-7-2026 9h5m3s (10).REG", u"Brimwell12-7-2026 9h5m3s (2).reg",
                                           u"Brimwell12-7-2026 9h5m3s.reg"}));
}

TEST(RunOptions, EachIsAnOptionOfItsOwnInAnyCase) {
    // Each argument is read on its own, so a word no longer hides the switches after it (start-up
    // refuses the word).
    for (const char16_t* commandLine :
         {u"/Report", u"-report", u"/noui /REPORT:yes", u"/Override -rEpOrT", u"foo /Report", u"/a b /Report"}) {
        EXPECT_TRUE(ReadRunOptions(commandLine).reportOnly);
    }
    for (const char16_t* commandLine : {u"/ExitCode", u"-exitcode", u"/noui /EXITCODE:1603", u"/Report -eXiTcOdE"}) {
        EXPECT_TRUE(ReadRunOptions(commandLine).exitCode);
    }
    for (const char16_t* commandLine :
         {u"", u"Report", u"/Reports", u"/noui", u"/noui:Report", u"/ExitCodes", u"ExitCode", u"/Exit Code"}) {
        const RunOptions options = ReadRunOptions(commandLine);
        EXPECT_FALSE(options.reportOnly || options.exitCode);
    }
}

TEST(BackupFileWrite, StartsANewFileWithItsHeaderOnlyOnce) {
    MemoryLogPlatform files;
    RunFiles names(files, u"C:\\b");
    names.RecordBackupIn(&files);
    BackupFile backup(names);
    // The first tree prunes the records of backups that are gone, or that no restore opens.
    files.records = {{u"C:\\gone.reg", {}}, {u"\\\\server\\share\\b.reg", {}}};
    ASSERT_TRUE(backup.Append(u"one"));
    EXPECT_EQ(files.Paths(), std::vector<std::u16string>{u"C:\\b.reg"});
    // A file left by an earlier run in the same second already has its header.
    RunFiles laterNames(files, u"C:\\b");
    laterNames.RecordBackupIn(&files);
    BackupFile later(laterNames);
    ASSERT_TRUE(later.Append(u"two"));
    EXPECT_EQ(DecodeUtf16Le(files.files.at(u"C:\\b.reg")),
              u"\uFEFFWindows Registry Editor Version 5.00\r\none\r\ntwo\r\n");
}

TEST(BackupFileWrite, WithoutANameNothingIsWritten) {
    MemoryLogPlatform files;
    RunFiles names(files, u"");
    BackupFile backup(names);
    EXPECT_FALSE(backup.Append(u"tree"));
    EXPECT_TRUE(files.files.empty());
}

}  // namespace
}  // namespace halvorn
