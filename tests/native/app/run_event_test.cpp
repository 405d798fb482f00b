#include <gtest/gtest.h>

#include <string>

#include "app/run_event.h"
#include "app/startup.h"

namespace halvorn {
namespace {

TEST(RunEvent, EachOutcomeHasItsOwnIdATypeThatFollowsItAndATextThatStartsWithTheCounts) {
    using End = RunOutcome::End;
    using enum EventType;
    const struct {
        RunOutcome outcome;
        RunOptions options;
        std::uint16_t id;
        EventType type;
        std::u16string firstLine;
    } cases[] = {
        {{End::Repaired, {0, 0}}, {}, 100, Information, u"Repair: no invalid registry key was found. Found 0, deleted 0."},
        {{End::Repaired, {3, 3}}, {}, 101, Information, u"Repair: every invalid registry key was deleted. Found 3, deleted 3."},
        {{End::Repaired, {3, 2}}, {}, 102, Warning, u"Repair: some invalid registry keys were kept. Found 3, deleted 2."},
        {{End::Repaired, {0, 0, true}}, {}, 103, Error, u"Repair: failed, the log says why. Found 0, deleted 0."},
        {{End::Repaired, {2, 0}}, {.reportOnly = true}, 111, Warning,
         u"Report: invalid registry keys were found, none was deleted. Found 2, deleted 0."},
        // One installation repaired, another one's hive not loaded.
        {{End::Repaired, {3, 3, true}}, {.offline = {OfflineTarget::Search, {}}}, 203, Error,
         u"Offline repair: failed, the log says why. Found 3, deleted 3."},
        {{End::Repaired, {1, 0}}, {.reportOnly = true, .offline = {OfflineTarget::NamedHive, u"HIVE"}}, 211, Warning,
         u"Offline report: invalid registry keys were found, none was deleted. Found 1, deleted 0."},
        {{End::Restored, {}, {u"C:\\b.reg", 2, 2}}, {}, 300, Information,
         u"Restore: every tree of the backup was written back. Trees 2, written back 2."},
        {{End::Restored, {}, {u"C:\\b.reg", 2, 1}}, {}, 301, Warning,
         u"Restore: some trees of the backup could not be written back. Trees 2, written back 1."},
        {{End::UnknownSwitch, {}, {}, UnknownSwitchText(u"/Reprot")}, {}, 900, Error, u"Command line refused. Found 0, deleted 0."},
        {{End::Refused}, {}, 901, Error, u"Not started: administrator rights are required. Found 0, deleted 0."},
        {{End::AnotherCopyRunning}, {}, 902, Warning, u"Not started: another copy was running. Found 0, deleted 0."},
        {{End::Cancelled}, {}, 903, Information,
         u"Cancelled: the wizard was closed before the repair started. Found 0, deleted 0."},
        {{End::Failed}, {}, 904, Error,
         u"Failed: the wizard could not be shown, or the tool stopped on an error. Found 0, deleted 0."},
    };
    for (const auto& [outcome, options, id, type, firstLine] : cases) {
        const RunEvent event = RunEventFor(outcome, options, {}, u"").value();
        EXPECT_EQ(event.id, id);
        EXPECT_EQ(event.type, type);
        EXPECT_EQ(event.text.substr(0, event.text.find(u"\r\n")), firstLine);
    }
    EXPECT_FALSE(RunEventFor({End::Help}, {}, {}, u"/?"));
    // The text goes on with the exit code, the files and the switches, each printable, and each "%"
    // before a "%" or a digit joined to a word joiner, which Event Viewer does not expand.
    const RunOutcome refused{End::UnknownSwitch, {}, {}, UnknownSwitchText(u"/x%1\n")};
    EXPECT_EQ(RunEventFor(refused, {}, {u"C:\\T\\%%5\\B.log", u"C:\\T\\B.reg"}, u"/noui /x%1\n100%d %TEMP% 5%")
                  .value()
                  .text,
              u"Command line refused. Found 0, deleted 0.\r\nUnknown switch \"/x%\u20601?\": nothing was changed. Start "
              u"the tool with /? for the switches that it knows.\r\nExit code with /ExitCode: 1639.\r\nLog: "
              u"C:\\T\\%\u2060%\u20605\\B.log\r\nBackup: C:\\T\\B.reg\r\nSwitches: /noui /x%\u20601?100%d %TEMP% 5%");
}

}  // namespace
}  // namespace halvorn
