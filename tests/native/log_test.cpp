#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

#include "log/file_trust.h"
#include "log/repair_log.h"
#include "log/text_format.h"
#include "log/trace_scope.h"
#include "tests/support/log_lines.h"
#include "tests/support/memory_log_platform.h"

namespace halvorn {
namespace {

using testing::MemoryLogPlatform;

using testing::kExpectedHeader;

TEST(TextFormat, FillsDirectivesInOrder) {
    EXPECT_EQ(FormatText(u"%s\\%s", {u"Parent", u"Child"}), u"Parent\\Child");
    EXPECT_EQ(FormatText(u"count\t: %d", {std::int32_t{0}}), u"count\t: 0");
    EXPECT_EQ(FormatText(u"%d %d", {std::int32_t{-42}, std::int32_t{INT_MIN}}), u"-42 -2147483648");
    EXPECT_EQ(FormatText(u"100%% of %s", {u"keys"}), u"100% of keys");
}

TEST(TextFormat, ArgumentTextIsNeverReadAsAFormat) {
    EXPECT_EQ(FormatText(u"%s", {u"50%d %s %"}), u"50%d %s %");
}

TEST(TextFormat, MisuseThrows) {
    EXPECT_THROW(FormatText(u"%s %s", {u"one"}), std::invalid_argument);
    EXPECT_THROW(FormatText(u"%s", {u"one", u"two"}), std::invalid_argument);
    EXPECT_THROW(FormatText(u"%d", {u"text"}), std::invalid_argument);
    EXPECT_THROW(FormatText(u"%x", {std::int32_t{1}}), std::invalid_argument);
    EXPECT_THROW(FormatText(u"trailing %", {}), std::invalid_argument);
}

TEST(TextFormat, PrintableTextStartsNoLineAndKeepsToItsLength) {
    EXPECT_EQ(PrintableText(u"a\r\nb\tc\x7F\x85\u2028\u00e9", 20), u"a??b?c???\u00e9");
    EXPECT_EQ(PrintableText(u"abcdef", 6), u"abcdef");
    EXPECT_EQ(PrintableText(u"abcdefg", 6), u"abc...");
    EXPECT_EQ(PrintableText(u"a\U0001F600bcd", 5), u"a...");  // not half of the pair
}

TEST(RepairLogPath, CarriesTheStartTimeWithoutLeadingZeros) {
    MemoryLogPlatform platform;
    EXPECT_EQ(RepairLog(platform).Path(), u"C:\\Temp\\Brimwell12-7-2026 9h5m3s.log");

    platform.now = {2027, 1, 5, 1, 0, 0, 0};
    EXPECT_EQ(RepairLog(platform).Path(), u"C:\\Temp\\Brimwell1-1-2027 0h0m0s.log");
}

TEST(RepairLogPath, IsTheBareNameWhenTheTemporaryDirectoryIsUnknown) {
    MemoryLogPlatform platform;
    platform.temporaryDirectory.clear();
    EXPECT_EQ(RepairLog(platform).Path(), u"Brimwell12-7-2026 9h5m3s.log");
}

TEST(RepairLogPath, ConstructionCreatesNothing) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    EXPECT_EQ(platform.appendCalls, 0);
    EXPECT_TRUE(platform.files.empty());
}

TEST(RepairLogWrite, HeaderBytesAreExact) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    log.WriteHeader();
    EXPECT_EQ(platform.files.at(log.Path()), kExpectedHeader);
    // Banner, date line and version line: three separate appends.
    EXPECT_EQ(platform.appendCalls, 3);
}

TEST(RepairLogWrite, HeaderDateUsesTheTimeOfWritingNotOfConstruction) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    platform.now = {2027, 2, 0, 28, 23, 59, 58};
    log.WriteHeader();
    EXPECT_NE(platform.OnlyFile().find("Sunday, 28  February  2027   Time: 23:59\r\n"),
              std::string::npos);
    EXPECT_EQ(log.Path(), u"C:\\Temp\\Brimwell12-7-2026 9h5m3s.log");
}

TEST(RepairLogWrite, LinesAreSingleByteWithCrLf) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    EXPECT_TRUE(log.WriteLine(u"%s\\%s", u"Parent", u"caf\u00e9 \u00ff"));
    log.WriteLine(u"two\nlines");
    EXPECT_EQ(platform.OnlyFile(), "Parent\\caf\xe9 \xff\r\ntwo\r\nlines\r\n");
}

TEST(RepairLogWrite, CharactersAboveLatin1BecomeQuestionMarks) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    // U+0100, U+4E2D and U+1F600 (a surrogate pair: two units, two question marks).
    log.WriteLine(u"%s", u"a\u0100b\u4e2dc\U0001F600d");
    EXPECT_EQ(platform.OnlyFile(), "a?b?c??d\r\n");
}

TEST(RepairLogWrite, PercentInTextIsWrittenVerbatim) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    log.WriteLine(u"%s\\%s", u"Svc%s", u"$%&'(%d%n");
    EXPECT_EQ(platform.OnlyFile(), "Svc%s\\$%&'(%d%n\r\n");
}

TEST(RepairLogWrite, LongLinesAreCutTo4095Characters) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    const std::u16string exact(4095, u'a');
    const std::u16string longer(5000, u'b');
    log.WriteLine(u"%s", exact);
    log.WriteLine(u"%s", longer);
    EXPECT_EQ(platform.OnlyFile(), std::string(4095, 'a') + "\r\n" + std::string(4095, 'b') + "\r\n");
}

TEST(RepairLogWrite, AFailedOpenLosesOnlyItsLine) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    log.WriteLine(u"first");
    platform.failingAppends = 1;
    log.WriteLine(u"lost");
    log.WriteLine(u"third");
    EXPECT_EQ(platform.OnlyFile(), "first\r\nthird\r\n");
}

TEST(RepairLogWrite, AnExistingFileIsAppendedTo) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    platform.files[log.Path()] = "earlier run\r\n";
    log.WriteLine(u"later run");
    EXPECT_EQ(platform.OnlyFile(), "earlier run\r\nlater run\r\n");
}

// Which name the run's log and backup take, given the files that the temporary folder already holds
// under the names they could take: an earlier run's in the same second, or a file planted there.
TEST(RunFileNames, BothMoveOnPastEveryPlantedNameWithTheWholeLog) {
    constexpr char16_t kName[] = u"C:\\Temp\\Brimwell12-7-2026 9h5m3s";
    struct Case {
        std::vector<std::u16string_view> earlierRun;
        std::vector<std::u16string_view> planted;
        bool backupPlantedAfterFirstLine;
        std::u16string_view expected;
        bool ownersUnreadable = false;
        bool backupTakenAfterATree = false;
        int backupOpensInUse = 0;  // that find another run holding the file without sharing it
        bool treeSaved = true;
    };
    const Case cases[] = {
        {{}, {}, false, u""},
        {{u".log", u".reg"}, {}, false, u""},
        {{}, {u".log"}, false, u" (2)"},
        {{}, {u".reg"}, false, u" (2)"},
        {{}, {u".log", u" (2).reg", u" (3).log"}, false, u" (4)"},
        {{u" (2).log"}, {u".reg"}, false, u" (2)"},
        {{}, {}, true, u" (2)"},
        {{}, {u" (2).log"}, true, u" (3)"},
        // A volume without owners: the run knows its own files by their identity.
        {{}, {}, false, u"", true},
        // The run's own backup, taken over after a tree, takes no more, and the log stays beside it.
        {{}, {}, false, u"", false, true},
        // An earlier run that holds its backup for a moment is waited for, a little while only.
        {{u".log", u".reg"}, {}, false, u"", false, false, 3},
        {{u".log", u".reg"}, {}, false, u"", false, false, 1000, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        MemoryLogPlatform platform;
        platform.ownersUnreadable = c.ownersUnreadable;
        platform.filesInUse[kName + std::u16string(u".reg")] = c.backupOpensInUse;
        for (std::u16string_view suffix : c.earlierRun) {
            platform.files[kName + std::u16string(suffix)] = "earlier\r\n";
        }
        for (std::u16string_view suffix : c.planted) {
            platform.plantedFiles.insert(kName + std::u16string(suffix));
        }
        RunFiles files(platform, kName);
        EXPECT_TRUE(files.AppendToLog("one\r\n"));
        if (c.backupPlantedAfterFirstLine) {
            platform.plantedFiles.insert(kName + std::u16string(u".reg"));
        }
        EXPECT_EQ(files.AppendToBackup("<start>", "tree\r\n"), c.treeSaved);
        if (c.backupTakenAfterATree) {
            platform.plantedFiles.insert(kName + std::u16string(u".reg"));
            EXPECT_FALSE(files.AppendToBackup("<start>", "lost\r\n"));
        }
        EXPECT_TRUE(files.AppendToLog("two\r\n"));
        EXPECT_EQ(platform.pausedMilliseconds > 0, c.backupOpensInUse > 0);

        const std::u16string expected = kName + std::u16string(c.expected);
        EXPECT_EQ(files.LogPath(), expected + u".log");
        EXPECT_EQ(files.BackupPath(), expected + u".reg");
        EXPECT_TRUE(platform.files[expected + u".log"].ends_with("one\r\ntwo\r\n"));
        EXPECT_EQ(platform.files[expected + u".reg"].ends_with("tree\r\n"), c.treeSaved);
        // Only a backup planted during the run leaves the log's first line behind.
        EXPECT_EQ(platform.files.size(), std::max<std::size_t>(2, c.earlierRun.size()) + c.backupPlantedAfterFirstLine);
    }
    // Past the last name nothing is written, so nothing would be deleted unsaved.
    MemoryLogPlatform platform;
    for (std::int32_t counter = 1; counter <= 100; ++counter) {
        platform.plantedFiles.insert(kName + (counter > 1 ? FormatText(u" (%d)", {counter}) : u"") + u".log");
    }
    RunFiles files(platform, kName);
    EXPECT_FALSE(files.AppendToLog("one\r\n") || files.AppendToBackup("<start>", "tree\r\n"));
    EXPECT_TRUE(platform.files.empty());
}

TEST(FileTrust, OnlyAPlainFileOfOneLinkOwnedByTheRunOrAnAdministratorIsAppendedTo) {
    const SecurityId runner = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0xE9, 3, 0, 0};
    const SecurityId other = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0xEA, 3, 0, 0};
    EXPECT_TRUE(MayAppendTo({true, false, false, 1, runner}, runner));
    EXPECT_TRUE(MayAppendTo({true, false, false, 1, LocalSystemAccount()}, runner));
    EXPECT_TRUE(MayAppendTo({true, false, false, 1, AdministratorsAlias()}, runner));
    EXPECT_FALSE(MayAppendTo({true, false, false, 1, other}, runner));
    EXPECT_FALSE(MayAppendTo({true, false, false, 1, runner}, other));
    EXPECT_FALSE(MayAppendTo({true, false, false, 1, {}}, runner));       // owner unknown
    EXPECT_FALSE(MayAppendTo({true, false, false, 2, runner}, runner));   // a hard link to a file elsewhere
    EXPECT_FALSE(MayAppendTo({true, false, false, 0, runner}, runner));   // links unknown
    EXPECT_FALSE(MayAppendTo({true, false, true, 1, runner}, runner));    // a symbolic link or junction
    EXPECT_FALSE(MayAppendTo({true, true, false, 1, runner}, runner));    // a folder
    EXPECT_FALSE(MayAppendTo({false, false, false, 1, runner}, runner));  // a pipe or a device
    // Once the run has written a file, it knows it by its identity, on a volume without owners too.
    const WrittenFile written = ExistingFile{true, false, false, 1, {}, {7, 42}};
    EXPECT_TRUE(MayAppendTo(*written, written, runner));
    EXPECT_FALSE(MayAppendTo({true, false, false, 1, runner, {7, 43}}, written, runner));  // another file
    EXPECT_FALSE(MayAppendTo({true, false, false, 2, {}, {7, 42}}, written, runner));      // a link added

    // A backup is restored from only when, besides, nobody else may change it.
    const ExistingFile own = {true, false, false, 1, runner};
    EXPECT_EQ(WhyNotToRestoreFrom(own, {false, {runner, LocalSystemAccount(), AdministratorsAlias()}}, runner), u"");
    EXPECT_EQ(WhyNotToRestoreFrom(own, {false, {LocalSystemAccount(), other}}, runner), u"another account may change it");
    EXPECT_EQ(WhyNotToRestoreFrom(own, {true, {}}, runner), u"another account may change it");  // no access list
    EXPECT_EQ(WhyNotToRestoreFrom({true, false, false, 1, other}, {}, runner), u"another account owns it");
}

TEST(TraceScopes, OnlyTheFirstScopeOfTheLogWritesTheHeader) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    {
        TraceScope run(log);
        log.WriteLine(u"first run");
        {
            TraceScope nested(log);
            TraceScope deeper(log);
        }
    }
    {
        TraceScope secondRun(log);
        log.WriteLine(u"second run");
    }
    EXPECT_EQ(platform.OnlyFile(), std::string(kExpectedHeader) + "first run\r\nsecond run\r\n");
}

TEST(TraceScopes, AHeaderLostToAFailedOpenIsNeverWrittenLater) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    platform.failingAppends = 3;
    {
        TraceScope run(log);
        log.WriteLine(u"line");
    }
    TraceScope again(log);
    EXPECT_EQ(platform.OnlyFile(), "line\r\n");
}

TEST(TraceScopes, APartlyLostHeaderKeepsItsOtherPieces) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    platform.failingAppends = 1;
    TraceScope run(log);
    EXPECT_EQ(platform.OnlyFile(),
              "Monday, 07  December  2026   Time: 09:05\r\nRELEASE Version: 1.0.0.19\r\n");
}

TEST(TraceScopes, AScopeLeftByAnExceptionWritesNothing) {
    MemoryLogPlatform platform;
    RepairLog log(platform);
    try {
        TraceScope run(log);
        throw std::runtime_error("leaves the run");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(platform.OnlyFile(), kExpectedHeader);
}

}  // namespace
}  // namespace halvorn
