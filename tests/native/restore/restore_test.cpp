// The restore of a repair's backup: what comes back, what is refused and why, against the
// in-memory registry and files.
#include <gtest/gtest.h>

#include "app/restore_message.h"
#include "engine/restore/backup_names.h"
#include "tests/native/backup/backup_run.h"

namespace halvorn {
namespace {

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
    // A result file lists the trees as the repair's result listed the keys that it deleted.
    std::vector<RestoredTree> deleted;
    for (const FoundKey& key : cleaner.foundKeys) {
        deleted.push_back({key.path, true, {}});
    }
    EXPECT_EQ(restoredTrees, deleted);

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
    ASSERT_EQ(restoredTrees.size(), 3u);
    EXPECT_EQ(restoredTrees[0], (RestoredTree{u"HKLM\\" + kService + u"\\$%&'(a", false,
                                              u"Not restored whole, access is denied (error 5)"}));
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
}  // namespace
}  // namespace halvorn
