#include <gtest/gtest.h>

#include <string>

#include "app/run_event.h"

namespace halvorn {
namespace {

TEST(RunEvent, EachOutcomeHasItsOwnIdAndATypeThatFollowsIt) {
    using End = RunOutcome::End;
    const RunOptions repair{};
    const RunOptions report{.reportOnly = true};
    const RunOptions offline{.offline = {OfflineTarget::Search, {}}};
    const RunOptions offlineReport{.reportOnly = true, .offline = {OfflineTarget::NamedHive, u"HIVE"}};
    const struct {
        RunOutcome outcome;
        RunOptions options;
        std::uint16_t id;
        EventType type;
        std::u16string start;  // the text up to the log's path
    } cases[] = {
        {{End::Repaired, {0, 0}}, repair, 100, EventType::Information,
         u"Repair: no invalid registry key was found. Found 0, deleted 0.\r\nExit code with /ExitCode: 0."},
        {{End::Repaired, {3, 3}}, repair, 101, EventType::Information,
         u"Repair: every invalid registry key was deleted. Found 3, deleted 3.\r\nExit code with /ExitCode: 3010."},
        {{End::Repaired, {3, 2}}, repair, 102, EventType::Warning,
         u"Repair: some invalid registry keys were kept. Found 3, deleted 2.\r\nExit code with /ExitCode: 1603."},
        {{End::Repaired, {0, 0, true}}, repair, 103, EventType::Error,
         u"Repair: failed, the log says why. Found 0, deleted 0.\r\nExit code with /ExitCode: 1603."},
        {{End::Repaired, {0, 0}}, report, 110, EventType::Information,
         u"Report: no invalid registry key was found. Found 0, deleted 0.\r\nExit code with /ExitCode: 0."},
        {{End::Repaired, {2, 0}}, report, 111, EventType::Warning,
         u"Report: invalid registry keys were found, none was deleted. Found 2, deleted 0.\r\nExit code with /ExitCode: 1."},
        {{End::Repaired, {0, 0, true}}, report, 112, EventType::Error,
         u"Report: failed, the log says why. Found 0, deleted 0.\r\nExit code with /ExitCode: 1603."},
        {{End::Repaired, {1, 1}}, offline, 201, EventType::Information,
         u"Offline repair: every invalid registry key was deleted. Found 1, deleted 1.\r\nExit code with /ExitCode: 3010."},
        // One installation repaired, another one's hive not loaded.
        {{End::Repaired, {3, 3, true}}, offline, 203, EventType::Error,
         u"Offline repair: failed, the log says why. Found 3, deleted 3.\r\nExit code with /ExitCode: 1603."},
        {{End::Repaired, {1, 0}}, offlineReport, 211, EventType::Warning,
         u"Offline report: invalid registry keys were found, none was deleted. Found 1, deleted 0.\r\n"
         u"Exit code with /ExitCode: 1."},
        {{End::Restored, {}, {u"C:\\b.reg", 2, 2}}, repair, 300, EventType::Information,
         u"Restore: every tree of the backup was written back. Trees 2, written back 2.\r\nExit code with /ExitCode: 0."},
        {{End::Restored, {}, {u"C:\\b.reg", 2, 1}}, repair, 301, EventType::Warning,
         u"Restore: some trees of the backup could not be written back. Trees 2, written back 1.\r\n"
         u"Exit code with /ExitCode: 1603."},
        {{End::Restored, {}, {{}, 0, 0, true, u"no backup\r\nfound"}}, repair, 302, EventType::Error,
         u"Restore refused, nothing was written back. Trees 0, written back 0.\r\nWhy: no backup??found\r\n"
         u"Exit code with /ExitCode: 1603."},
        {{End::UnknownSwitch, {}, {}, u"/Reprot"}, repair, 900, EventType::Error,
         u"Command line refused. Found 0, deleted 0.\r\nUnknown switch \"/Reprot\": nothing was changed. Start the "
         u"tool with /? for the switches that it knows.\r\nExit code with /ExitCode: 1639."},
        {{End::Refused}, repair, 901, EventType::Error,
         u"Not started: administrator rights are required. Found 0, deleted 0.\r\nExit code with /ExitCode: 740."},
        {{End::AnotherCopyRunning}, repair, 902, EventType::Warning,
         u"Not started: another copy was running. Found 0, deleted 0.\r\nExit code with /ExitCode: 1618."},
        {{End::Cancelled}, repair, 903, EventType::Information,
         u"Cancelled: the wizard was closed before the repair started. Found 0, deleted 0.\r\n"
         u"Exit code with /ExitCode: 1602."},
        {{End::Failed}, repair, 904, EventType::Error,
         u"Failed: the wizard could not be shown, or the tool stopped on an error. Found 0, deleted 0.\r\n"
         u"Exit code with /ExitCode: 1603."},
    };
    for (const auto& [outcome, options, id, type, start] : cases) {
        SCOPED_TRACE(id);
        const std::optional<RunEvent> event = RunEventFor(outcome, options, {u"C:\\T\\B.log", u"C:\\T\\B.reg"}, u"/noui");
        ASSERT_TRUE(event);
        EXPECT_EQ(event->id, id);
        EXPECT_EQ(event->type, type);
        EXPECT_EQ(event->text.substr(0, event->text.find(u"\r\nLog: ")), start);
    }
}

TEST(RunEvent, NamesTheFilesAndTheSwitchesAsPrintableText) {
    const std::optional<RunEvent> repaired =
        RunEventFor({RunOutcome::End::Repaired, {2, 2}}, {}, {u"C:\\T\\B.log", u"C:\\T\\B.reg"}, u"/noui /x\n100%d");
    ASSERT_TRUE(repaired);
    EXPECT_EQ(repaired->text,
              u"Repair: every invalid registry key was deleted. Found 2, deleted 2.\r\nExit code with /ExitCode: 3010.\r\n"
              u"Log: C:\\T\\B.log\r\nBackup: C:\\T\\B.reg\r\nSwitches: /noui /x?100%d");
    // A restore names the backup that it read; a run without files names none.
    const std::optional<RunEvent> restored =
        RunEventFor({RunOutcome::End::Restored, {}, {u"D:\\old.reg", 1, 1}}, {}, {}, u"");
    ASSERT_TRUE(restored);
    EXPECT_NE(restored->text.find(u"\r\nLog: none\r\nBackup: D:\\old.reg\r\nSwitches: none"), std::u16string::npos);
    EXPECT_FALSE(RunEventFor({RunOutcome::End::Help}, {}, {}, u"/?"));
}

}  // namespace
}  // namespace halvorn
