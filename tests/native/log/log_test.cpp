#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

#include "log/file_trust.h"
#include "log/sha256.h"
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

    // A folder that the command line chose takes both files, under the same name.
    RepairLog moved(platform);
    moved.MoveInto(u"D:\\Logs\\");
    EXPECT_EQ(moved.Path(), u"D:\\Logs\\Brimwell1-1-2027 0h0m0s.log");
    EXPECT_EQ(moved.Files().BackupPath(), u"D:\\Logs\\Brimwell1-1-2027 0h0m0s.reg");
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
    log.WriteLine(u"%s\\%s", u"Parent", u"caf\u00e9 \u00ff");
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
    // What the record says of the earlier run's backup.
    enum class Earlier { Recorded, Unrecorded, ChangedSince };
    struct Case {
        std::vector<std::u16string_view> earlierRun;
        std::vector<std::u16string_view> planted = {};
        bool backupPlantedAfterFirstLine = false;
        std::u16string_view expected;
        bool ownersUnreadable = false;
        bool backupTakenAfterATree = false;
        int backupOpensInUse = 0;  // that find another run holding the file without sharing it
        bool treeSaved = true;
        Earlier earlierBackup = Earlier::Recorded;
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
        // An earlier run's backup is shared only where the record vouches for the bytes it holds.
        {.earlierRun = {u".log", u".reg"}, .expected = u" (2)", .earlierBackup = Earlier::Unrecorded},
        {.earlierRun = {u".log", u".reg"}, .expected = u" (2)", .earlierBackup = Earlier::ChangedSince},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        MemoryLogPlatform platform;
        platform.ownersUnreadable = c.ownersUnreadable;
        platform.filesInUse[kName + std::u16string(u".reg")] = c.backupOpensInUse;
        for (std::u16string_view suffix : c.earlierRun) {
            const std::u16string path = kName + std::u16string(suffix);
            platform.files[path] = "earlier\r\n";
            if (path.ends_with(u".reg") && c.earlierBackup != Earlier::Unrecorded) {
                platform.RecordAsItIs(path);
                platform.files[path] += c.earlierBackup == Earlier::ChangedSince ? "changed\r\n" : "";
            }
        }
        for (std::u16string_view suffix : c.planted) {
            platform.plantedFiles.insert(kName + std::u16string(suffix));
        }
        RunFiles files(platform, kName);
        files.RecordBackupIn(&platform);
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
        EXPECT_EQ(platform.files.size(), std::max<std::size_t>(2, c.earlierRun.size()) + c.backupPlantedAfterFirstLine +
                                             (c.earlierBackup == Earlier::Recorded ? 0 : 2));
        // The record follows every tree: it vouches for the whole file, an earlier run's part too.
        if (c.treeSaved) {
            Sha256 content;
            content.Add(platform.files[expected + u".reg"]);
            EXPECT_EQ(platform.Find(expected + u".reg"), content.Digest());
        }
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
}

// A backup is restored from where its record matches its bytes, whoever owns it; without a record,
// only where its owner and everyone who may change it administer Windows itself.
TEST(FileTrust, ABackupIsRestoredFromOnlyWhereItHoldsWhatARunWroteOnALocalDrive) {
    // S-1-5-21-1-2-3-500, a machine's Administrator account.
    const SecurityId administrator = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0,
                                      0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0xF4, 1, 0, 0};
    const std::vector<SecurityId> administering = {LocalSystemAccount(), AdministratorsAlias(),
                                                   TrustedInstallerService()};
    const ExistingFile byAdministrators = {true, false, false, 1, AdministratorsAlias()};
    constexpr std::u16string_view kOwner =
        u"no run recorded it, and its owner is neither the system account, Administrators nor TrustedInstaller";
    constexpr std::u16string_view kChanger =
        u"no run recorded it, and others than the system account, Administrators and TrustedInstaller may change it";
    struct Case {
        ExistingFile file;
        FileWriters writers;
        RecordedBytes record;
        std::u16string_view why;
    };
    const Case cases[] = {
        {byAdministrators, {false, administering}, RecordedBytes::NoRecord, u""},
        {{true, false, false, 1, TrustedInstallerService()}, {false, {LocalSystemAccount()}}, RecordedBytes::NoRecord,
         u""},
        // An administrator's own account, which its unelevated processes share, as owner and as writer.
        {{true, false, false, 1, administrator}, {false, administering}, RecordedBytes::NoRecord, kOwner},
        {byAdministrators, {false, {LocalSystemAccount(), administrator}}, RecordedBytes::NoRecord, kChanger},
        {byAdministrators, {true, {}}, RecordedBytes::NoRecord, kChanger},  // no access list
        {{true, false, false, 1, {}}, {false, administering}, RecordedBytes::NoRecord, kOwner},  // owner unknown
        {{true, false, false, 2, AdministratorsAlias()}, {false, administering}, RecordedBytes::NoRecord,
         u"no run recorded it, and it has more than one name"},
        // A record that matches vouches for the bytes, whoever owns the file or may change it now.
        {{true, false, false, 2, administrator}, {true, {}}, RecordedBytes::Match, u""},
        {byAdministrators, {false, administering}, RecordedBytes::Differ, u"it was changed after its run wrote it"},
        {{true, false, true, 1, AdministratorsAlias()}, {false, administering}, RecordedBytes::Match, u"it is a link"},
        {{false, false, false, 1, AdministratorsAlias()}, {false, administering}, RecordedBytes::Match,
         u"it is not a plain file"},  // a pipe
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(WhyNotToRestoreFrom(cases[i].file, cases[i].writers, cases[i].record), cases[i].why) << i;
    }

    // Who may write, rename or delete the file, or change its access list or owner, counts as a writer.
    constexpr std::pair<std::uint32_t, bool> kMasks[] = {
        {0x120089, false},    // FILE_GENERIC_READ
        {0x1200A9, false},    // FILE_GENERIC_READ | FILE_EXECUTE
        {0x80000000, false},  // GENERIC_READ
        {0x000100, false},    // FILE_WRITE_ATTRIBUTES
        {0x000002, true},     // FILE_WRITE_DATA
        {0x000004, true},     // FILE_APPEND_DATA
        {0x010000, true},     // DELETE, which a rename to a newer backup's name needs
        {0x000040, true},     // FILE_DELETE_CHILD, which lets a folder's files be swapped
        {0x040000, true},     // WRITE_DAC
        {0x080000, true},     // WRITE_OWNER
        {0x1F01FF, true},     // FILE_ALL_ACCESS
        {0x10000000, true},   // GENERIC_ALL
        {0x40000000, true},   // GENERIC_WRITE
    };
    for (const auto& [mask, grants] : kMasks) {
        EXPECT_EQ(GrantsChange(mask), grants) << std::hex << mask;
    }

    // A folder for the run's files: only those who administer Windows, and the running account, may
    // add, rename or delete what it holds.
    const ExistingFile folder = {true, true, false, 1, AdministratorsAlias()};
    const SecurityId users = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 2, 0, 0};  // S-1-5-32-545, Users
    constexpr std::u16string_view kOthersWrite =
        u"others than the system account, Administrators, TrustedInstaller and the running account may write to it";
    struct FolderCase {
        ExistingFile folder;
        FileWriters writers;
        bool localFixedDisk;
        std::u16string_view why;
    };
    const FolderCase folders[] = {
        {folder, {false, administering}, true, u""},
        {{true, true, false, 1, administrator}, {false, {administrator}}, true, u""},  // the running account's own
        {folder, {false, {LocalSystemAccount(), users}}, true, kOthersWrite},
        {folder, {true, {}}, true, kOthersWrite},
        {{true, true, false, 1, users}, {false, administering}, true,
         u"its owner is neither the system account, Administrators, TrustedInstaller nor the running account"},
        {folder, {false, administering}, false, u"it is not on a local fixed disk"},
        {{true, true, true, 1, AdministratorsAlias()}, {false, administering}, true, u"it is a link"},  // a junction
        {byAdministrators, {false, administering}, true, u"it is not a folder"},
    };
    for (std::size_t i = 0; i < std::size(folders); ++i) {
        EXPECT_EQ(WhyNotALogFolder(folders[i].folder, folders[i].writers, folders[i].localFixedDisk, administrator),
                  folders[i].why)
            << i;
    }
    // A result file is replaced under the same rule, as a plain file of one name.
    EXPECT_EQ(WhyNotToReplace({true, false, false, 1, administrator}, {false, {administrator}}, administrator), u"");
    EXPECT_EQ(WhyNotToReplace(byAdministrators, {false, {users}}, administrator),
              u"others than the system account, Administrators, TrustedInstaller and the running account may change it");
    EXPECT_EQ(WhyNotToReplace({true, false, false, 2, administrator}, {false, {}}, administrator),
              u"it has more than one name");
    EXPECT_EQ(WhyNotToReplace(folder, {false, {}}, administrator), u"it is not a plain file");

    // Paths that a restore does not open, whatever they lead to.
    constexpr std::u16string_view kDevice = u"it is a device or a pipe, not a file on a drive";
    constexpr std::u16string_view kNotFull = u"it is not a full path on a drive";
    constexpr std::u16string_view kPaths[][3] = {
        {u"C:\\Temp\\b.reg", u"C:\\", u""},
        {u"d:/Temp/b.reg", u"d:\\", u""},
        {u"\\\\?\\X:\\Windows\\SystemTemp\\b.reg", u"X:\\", u""},
        {u"\\\\server\\share\\b.reg", u"", kOnAnotherComputer},
        {u"//server/share/b.reg", u"", kOnAnotherComputer},
        {u"\\\\?\\UNC\\server\\share\\b.reg", u"", kOnAnotherComputer},
        {u"\\\\?\\unc\\server\\share\\b.reg", u"", kOnAnotherComputer},
        {u"\\\\.\\pipe\\halvorn", u"", kDevice},
        {u"\\\\?\\pipe\\halvorn", u"", kDevice},
        {u"\\\\.\\C:\\Temp\\b.reg", u"", kDevice},
        {u"\\\\?\\GLOBALROOT\\Device\\Mup\\server\\share\\b.reg", u"", kDevice},
        {u"\\??\\C:\\Temp\\b.reg", u"", kNotFull},
        {u"\\Temp\\b.reg", u"", kNotFull},
        {u"C:b.reg", u"", kNotFull},
        {u"b.reg", u"", kNotFull},
    };
    for (const auto& [path, root, why] : kPaths) {
        const PathDrive drive = DriveOfPath(path);
        EXPECT_EQ(drive.root, root) << std::string(path.begin(), path.end());
        EXPECT_EQ(drive.whyNot, why) << std::string(path.begin(), path.end());
    }
}

TEST(Sha256, GivesTheStandardsDigestsWhateverThePieces) {
    const auto hex = [](const Sha256Digest& digest) {
        std::string text;
        for (const std::uint8_t byte : digest) {
            text += "0123456789abcdef"[byte >> 4];
            text += "0123456789abcdef"[byte & 15];
        }
        return text;
    };
    Sha256 empty;
    EXPECT_EQ(hex(empty.Digest()), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    Sha256 abc;
    abc.Add("abc");
    EXPECT_EQ(hex(abc.Digest()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes, whose padding takes a block of its own, in pieces.
    const std::string_view long56 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    Sha256 pieces;
    for (const std::size_t length : {1u, 6u, 0u, 41u, 8u}) {
        pieces.Add(long56.substr(pieces.Length(), length));
    }
    EXPECT_EQ(hex(pieces.Digest()), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // A million times "a", in pieces that end at every place in a block.
    const std::string a(997, 'a');
    Sha256 million;
    while (million.Length() < 1'000'000) {
        million.Add(std::string_view(a).substr(0, 1'000'000 - million.Length()));
    }
    EXPECT_EQ(hex(million.Digest()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
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
