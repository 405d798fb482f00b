#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

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
