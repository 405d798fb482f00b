#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
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

// Which names the run's log and backup take, given what the temporary folder already holds: a
// file of an earlier run in the same second (trusted) or one that another account planted there.
TEST(RunFileNames, MoveOnTogetherPastEveryPlantedNameAndNeverTouchIt) {
    constexpr char16_t kName[] = u"C:\\Temp\\Brimwell12-7-2026 9h5m3s";
    const auto path = [&](std::u16string_view suffix) { return kName + std::u16string(suffix); };
    struct Case {
        const char* what;
        std::vector<std::u16string_view> earlierRun;  // suffixes of trusted files, each holding "earlier\r\n"
        std::vector<std::u16string_view> planted;     // before the run
        std::u16string_view plantedAfterFirstLine;    // between the log's first line and the backup
        std::u16string_view expected;                 // the suffix of the name both files end with
    };
    const Case cases[] = {
        {"a free name", {}, {}, u"", u""},
        {"an earlier run's log and backup are shared", {u".log", u".reg"}, {}, u"", u""},
        {"a planted log", {}, {u".log"}, u"", u" (2)"},
        {"a planted backup", {}, {u".reg"}, u"", u" (2)"},
        {"planted names one after another", {}, {u".log", u" (2).reg", u" (3).log"}, u"", u" (4)"},
        {"a planted name and an earlier run's at the counter", {u" (2).log"}, {u".reg"}, u"", u" (2)"},
        {"a backup planted while the run writes its log", {}, {}, u".reg", u" (2)"},
        {"and then the next name too", {}, {u" (2).log"}, u".reg", u" (3)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryLogPlatform platform;
        for (std::u16string_view suffix : c.earlierRun) {
            platform.files[path(suffix)] = "earlier\r\n";
        }
        for (std::u16string_view suffix : c.planted) {
            platform.plantedFiles[path(suffix)] = "planted";
        }
        RunFiles files(platform, kName);

        EXPECT_TRUE(files.AppendToLog("one\r\n"));
        if (!c.plantedAfterFirstLine.empty()) {
            platform.plantedFiles[path(c.plantedAfterFirstLine)] = "planted";
        }
        EXPECT_TRUE(files.AppendToBackup("<start>", "tree\r\n"));
        EXPECT_TRUE(files.AppendToLog("two\r\n"));

        const std::u16string expectedLog = path(std::u16string(c.expected) + u".log");
        const std::u16string expectedBackup = path(std::u16string(c.expected) + u".reg");
        EXPECT_EQ(files.LogPath(), expectedLog);
        EXPECT_EQ(files.BackupPath(), expectedBackup);
        const auto earlierRunHad = [&](std::u16string_view extension) {
            return std::ranges::count(c.earlierRun, std::u16string(c.expected) + std::u16string(extension)) == 1;
        };
        // The whole log lies beside the backup, after an earlier run's lines.
        EXPECT_EQ(platform.files[expectedLog], (earlierRunHad(u".log") ? "earlier\r\n" : "") + std::string("one\r\ntwo\r\n"));
        EXPECT_EQ(platform.files[expectedBackup], earlierRunHad(u".reg") ? "earlier\r\ntree\r\n" : "<start>tree\r\n");
        for (const auto& [planted, bytes] : platform.plantedFiles) {
            EXPECT_FALSE(platform.files.contains(planted)) << "a planted file was written";
            EXPECT_EQ(bytes, "planted");
        }
        // Only a backup planted during the run can leave the log's first line behind.
        const std::size_t ownFiles = 2 + c.earlierRun.size() + (c.plantedAfterFirstLine.empty() ? 0 : 1);
        EXPECT_LE(platform.files.size(), ownFiles);
    }
}

TEST(RunFileNames, AFailedWriteLosesOnlyItselfAndMovesNothing) {
    MemoryLogPlatform platform;
    RunFiles files(platform, u"run");
    platform.failingAppends = 1;
    EXPECT_FALSE(files.AppendToLog("lost\r\n"));
    platform.wholeAppendsLeft = 0;
    EXPECT_FALSE(files.AppendToBackup("<start>", "tree"));
    EXPECT_TRUE(files.AppendToLog("kept\r\n"));
    EXPECT_EQ(files.LogPath(), u"run.log");
    EXPECT_EQ(platform.OnlyFile(), "kept\r\n");
}

TEST(FileTrust, OnlyAPlainFileOfOneLinkOwnedByTheRunOrTheMachinesAdministratorsIsAppendedTo) {
    const SecurityId runner = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0xE9, 3, 0, 0};
    const SecurityId otherUser = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0xEA, 3, 0, 0};
    const SecurityId users = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 0x02, 0, 0};  // S-1-5-32-545
    const ExistingFile plain{true, false, false, 1, runner};
    const auto with = [&](auto change) {
        ExistingFile file = plain;
        change(file);
        return file;
    };
    const std::pair<ExistingFile, bool> cases[] = {
        {plain, true},
        {with([&](ExistingFile& f) { f.owner = LocalSystemAccount(); }), true},
        {with([&](ExistingFile& f) { f.owner = AdministratorsAlias(); }), true},
        {with([&](ExistingFile& f) { f.owner = otherUser; }), false},
        {with([&](ExistingFile& f) { f.owner = users; }), false},
        {with([&](ExistingFile& f) { f.owner.clear(); }), false},
        {with([&](ExistingFile& f) { f.linkCount = 2; }), false},  // a hard link to a file elsewhere
        {with([&](ExistingFile& f) { f.linkCount = 0; }), false},  // not known
        {with([&](ExistingFile& f) { f.reparsePoint = true; }), false},
        {with([&](ExistingFile& f) { f.directory = true; }), false},
        {with([&](ExistingFile& f) { f.diskFile = false; }), false},  // a pipe or a device
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(MayAppendTo(cases[i].first, runner), cases[i].second) << "case " << i;
    }
    // The running account is whoever runs the program, not a fixed one.
    EXPECT_FALSE(MayAppendTo(plain, otherUser));
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
