// The backup of every deleted tree, the report-only run and the run without backup, against the
// in-memory registry and files.
#include <gtest/gtest.h>

#include "tests/native/backup/backup_run.h"

namespace halvorn {
namespace {

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
