#include <gtest/gtest.h>

#include <string>

#include "app/exit_code.h"
#include "app/startup.h"
#include "ui/completion_text.h"

namespace halvorn {
namespace {

TEST(SilentCommandLine, FindsTheSwitchAnywhereInAnyAsciiCase) {
    for (const char16_t* arguments :
         {u"/noui", u"/NOUI", u"/NoUi", u"x/nouiy", u"/noui/Override", u"/Override /noui",
          u"\"C:\\Program Files\\/noui\\tool.exe\"", u"  /nOUI  ", u"//noui"}) {
        EXPECT_TRUE(IsSilentCommandLine(arguments));
    }
}

TEST(SilentCommandLine, AnythingElseSelectsTheWizard) {
    for (const char16_t* arguments :
         {u"", u"noui", u"-noui", u"/no ui", u"/ noui", u"/nou", u"\\noui", u"/Override",
          // U+0130 (capital I with dot) and U+FF2E (full-width N) are not ASCII capitals.
          u"/NOU\u0130", u"/\uff2eOUI"}) {
        EXPECT_FALSE(IsSilentCommandLine(arguments));
    }
}

TEST(CommandLine, HelpOrAnUnknownSwitchComesBeforeAnyRun) {
    using Kind = CommandLineRequest::Kind;
    const struct {
        std::u16string commandLine;
        Kind kind;
        std::u16string unknownSwitch;
        bool silent;
        RestoreRequest restore{};
        bool reportOnly = false;
    } cases[] = {
        // Every known switch, with either switch character, in any case, with values after ":".
        {u"/noui -override /REPORT /NoBackup -exitcode:yes /Offline:HIVE /Restore", Kind::Run, {}, true,
         {RestoreTarget::NewestBackup, {}}, true},
        {u"-noui", Kind::Run, {}, false},  // only "/noui" is silent, as it always was
        {u"/?", Kind::Help, {}, false},
        {u"/noui -?", Kind::Help, {}, true},
        {u"/Reprot /HELP", Kind::Help, {}, false},  // help whatever the other switches say
        {u"/noui /Reprot /ExitCode", Kind::UnknownSwitch, u"/Reprot", true},
        {u"-reprot:x /Other", Kind::UnknownSwitch, u"-reprot", false},  // the first, without its values
        {u"/noui/Report", Kind::UnknownSwitch, u"/noui/Report", true},  // glued, the grammar reads one name
        {u"/", Kind::UnknownSwitch, u"/", false},
        // The argument after "/Restore" is the backup's path, in Windows' quoting, and holds no switch.
        {u"/Restore \"C:\\a -b\\x (2).reg\" /noui", Kind::Run, {}, true,
         {RestoreTarget::NamedBackup, u"C:\\a -b\\x (2).reg"}},
        {u"/RESTORE C:\\x-y.reg /noui", Kind::Run, {}, true, {RestoreTarget::NamedBackup, u"C:\\x-y.reg"}},
        {u"-restore /noui", Kind::Run, {}, true, {RestoreTarget::NewestBackup, {}}},
        {u"/Restore \"\" /noui", Kind::Run, {}, true, {RestoreTarget::Unreadable, {}}},
        {u"/Restore:C:\\x.reg", Kind::Run, {}, false, {RestoreTarget::Unreadable, {}}},
        {u"/Restore a.reg /Restore b.reg", Kind::Run, {}, false, {RestoreTarget::Unreadable, {}}},
        // Quotes are removed first, as wrappers that quote every argument write them.
        {u"\"/noui\" \"/Restore\" \"C:\\x.reg\" \"/ExitCode\"", Kind::Run, {}, true,
         {RestoreTarget::NamedBackup, u"C:\\x.reg"}},
        {u"/noui \"/Report\" /ExitCode", Kind::Run, {}, true, {}, true},
        // Every argument is judged, wherever it stands: a word, a switch character that is not one,
        // a switch glued into a word, a word quoted into a switch, a word after "/Offline: ".
        {u"/noui Report", Kind::UnknownSwitch, u"Report", true},
        {u"/noui \u2013Report", Kind::UnknownSwitch, u"\u2013Report", true},  // an en dash
        {u"/noui \\Report", Kind::UnknownSwitch, u"\\Report", true},
        {u"word /noui /Reprot", Kind::UnknownSwitch, u"word", true},
        {u"x/nouiy", Kind::UnknownSwitch, u"x/nouiy", true},  // silent all the same: no window
        {u"/noui \"/Report now\"", Kind::UnknownSwitch, u"/Report now", true, {}, true},
        {u"/noui /Offline: OLD", Kind::UnknownSwitch, u"OLD", true},
        {u"/noui \"\"", Kind::UnknownSwitch, u"", true},
        {u"word /Restore a.reg", Kind::UnknownSwitch, u"word", false, {RestoreTarget::NamedBackup, u"a.reg"}},
        {u"word /Reprot", Kind::UnknownSwitch, u"word", false},
        {u"\"C:\\Tools\\/noui\\run.cmd\" /Reprot", Kind::UnknownSwitch, u"C:\\Tools\\/noui\\run.cmd", true},
        {u"/Restore a.reg b.reg /noui", Kind::UnknownSwitch, u"b.reg", true, {RestoreTarget::NamedBackup, u"a.reg"}},
    };
    for (const auto& [commandLine, kind, unknownSwitch, silent, restore, reportOnly] : cases) {
        const CommandLineRequest request = ReadCommandLine(commandLine);
        EXPECT_EQ(request.kind, kind) << testing::PrintToString(commandLine);
        EXPECT_EQ(request.unknownSwitch, unknownSwitch) << testing::PrintToString(commandLine);
        EXPECT_EQ(request.silent, silent) << testing::PrintToString(commandLine);
        EXPECT_EQ(request.options.restore, restore) << testing::PrintToString(commandLine);
        EXPECT_EQ(request.options.reportOnly, reportOnly) << testing::PrintToString(commandLine);
    }
    // A refused command line's switches are read all the same.
    EXPECT_TRUE(ReadCommandLine(u"/noui /Reprot /ExitCode").options.exitCode);
    EXPECT_TRUE(ReadCommandLine(u"/Restore \"C:\\a b\\c.reg\" /ExitCode").options.exitCode);
}

class FakeAdminQueries final : public AdminQueries {
public:
    std::uint32_t platformId = 2;
    std::optional<std::vector<SecurityId>> groups = std::vector<SecurityId>{};
    int tokenQueries = 0;

    std::uint32_t PlatformId() override { return platformId; }
    std::optional<std::vector<SecurityId>> TokenGroups() override {
        ++tokenQueries;
        return groups;
    }
};

const SecurityId kEveryone = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
const SecurityId kUsers = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 0x02, 0, 0};  // S-1-5-32-545
// S-1-5-32-544 with another authority (S-1-4-32-544) must not count.
const SecurityId kLookAlike = {1, 2, 0, 0, 0, 0, 0, 4, 32, 0, 0, 0, 0x20, 0x02, 0, 0};

TEST(AdministratorDecision, AnAdministratorsEntryAnywhereInTheTokenCounts) {
    FakeAdminQueries queries;
    queries.groups = std::vector<SecurityId>{kEveryone, kUsers, AdministratorsAlias()};
    EXPECT_TRUE(IsAdministrator(queries));
}

TEST(AdministratorDecision, OtherGroupsDoNotCount) {
    FakeAdminQueries queries;
    queries.groups = std::vector<SecurityId>{kEveryone, kUsers, kLookAlike};
    EXPECT_FALSE(IsAdministrator(queries));
    queries.groups = std::vector<SecurityId>{};
    EXPECT_FALSE(IsAdministrator(queries));
}

TEST(AdministratorDecision, AnUnreadableTokenRefuses) {
    FakeAdminQueries queries;
    queries.groups = std::nullopt;
    EXPECT_FALSE(IsAdministrator(queries));
    queries.platformId = 0;  // the version could not be read either
    EXPECT_FALSE(IsAdministrator(queries));
}

TEST(AdministratorDecision, TheWindows9xPlatformCountsWithoutAnyToken) {
    FakeAdminQueries queries;
    queries.platformId = 1;
    queries.groups = std::nullopt;
    EXPECT_TRUE(IsAdministrator(queries));
    EXPECT_EQ(queries.tokenQueries, 0);
}

TEST(AdministratorDecision, TheAliasIsTheBuiltInAdministratorsGroup) {
    // Revision 1, 2 sub-authorities, NT authority 5, then 32 and 544 in little-endian order.
    const SecurityId alias = AdministratorsAlias();
    ASSERT_EQ(alias.size(), 16u);
    EXPECT_EQ(alias[1], 2);
    EXPECT_EQ(alias[7], 5);
    EXPECT_EQ(alias[8] | alias[9] << 8, 32);
    EXPECT_EQ(alias[12] | alias[13] << 8, 544);
}

TEST(StartupDecision, FollowsTheTableTopToBottom) {
    struct Row {
        bool administrator;
        MutexOutcome mutex;
        bool silent;
        StartupAction action;
    };
    const Row table[] = {
        {false, MutexOutcome::ExistedOrFailed, true, StartupAction::RefuseUser},
        {false, MutexOutcome::ExistedOrFailed, false, StartupAction::RefuseUser},
        {false, MutexOutcome::Created, true, StartupAction::RefuseUser},
        {true, MutexOutcome::ExistedOrFailed, true, StartupAction::ActivateOtherInstance},
        {true, MutexOutcome::ExistedOrFailed, false, StartupAction::ActivateOtherInstance},
        {true, MutexOutcome::Created, true, StartupAction::SilentRun},
        {true, MutexOutcome::Created, false, StartupAction::WizardRun},
    };
    for (const Row& row : table) {
        EXPECT_EQ(DecideStartup(row.administrator, row.mutex, row.silent), row.action)
            << row.administrator << " " << static_cast<int>(row.mutex) << " " << row.silent;
    }
}

TEST(ExitCode, TellsDeploymentToolsTheOutcomeOnlyWhenAsked) {
    using End = RunOutcome::End;
    struct Row {
        End end;
        RepairCounts repair;
        bool reportOnly;
        int code;
        RestoreResult restore{};
        int codeWithoutTheSwitch = 0;  // without "/ExitCode"
    };
    const Row table[] = {
        {End::Repaired, {0, 0}, false, 0},
        {End::Repaired, {3, 3}, false, 3010},
        {End::Repaired, {3, 2}, false, 1603},      // some keys were kept
        {End::Repaired, {0, 0, true}, false, 1603},  // HKLM\SYSTEM would not open, or no installation was found
        {End::Repaired, {3, 3, true}, false, 1603},  // one installation repaired, another could not be loaded
        {End::Repaired, {2, 0}, true, 1},
        {End::Repaired, {0, 0}, true, 0},
        {End::Repaired, {0, 0, true}, true, 1603},
        {End::AnotherCopyRunning, {}, false, 1618},
        {End::Cancelled, {}, false, 1602},
        {End::Refused, {}, true, 740},
        {End::Failed, {}, false, 1603},
        {End::Restored, {}, false, 0, {u"b.reg", 2, 2}},
        {End::Restored, {}, false, 1603, {u"b.reg", 2, 1}},  // a tree could not be written
        {End::Restored, {}, false, 1603, {u"b.reg", 0, 0, true, u"refused"}},
        {End::UnknownSwitch, {}, false, 1639, {}, 1639},  // nothing ran: never success
        {End::Help, {}, false, 0},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(static_cast<int>(row.end));
        SCOPED_TRACE(row.repair.invalidCount);
        EXPECT_EQ(ExitCodeFor({row.end, row.repair, row.restore}, {.reportOnly = row.reportOnly, .exitCode = true}),
                  row.code);
        EXPECT_EQ(ExitCodeFor({row.end, row.repair, row.restore}, {.reportOnly = row.reportOnly}),
                  row.codeWithoutTheSwitch);
    }
    // A result file that could not be written turns only a code that tells of no failure into one.
    for (const Row& row : table) {
        const bool toldNoFailure = row.code == 0 || row.code == 1 || row.code == 3010;
        EXPECT_EQ(ExitCodeWithLostResult(row.code), toldNoFailure ? 1603 : row.code) << row.code;
    }
    // The wizard's completion page tells every failure of a run as the exit code does.
    for (const Row& row : table) {
        EXPECT_EQ(CompletionText(row.repair, row.reportOnly, false).starts_with(u"Completed with Errors"),
                  row.end == End::Repaired && row.code == 1603)
            << row.repair.invalidCount << " " << row.repair.deletedCount << " " << row.repair.failed;
    }
}

}  // namespace
}  // namespace halvorn
