#include "app/run_event.h"

#include "app/startup.h"
#include "log/text_format.h"

namespace halvorn {

namespace {

// Text from outside the program (paths, switches, a refusal), cut so that an event stays far below
// the 31,839 characters that one of its strings may hold.
constexpr std::size_t kMaxShownText = 2048;

// What the event says first, and a line of detail where the outcome has one.
struct EventHead {
    std::uint16_t id;
    EventType type;
    std::u16string firstLine;
    std::u16string detail{};
};

// For outcomes where no repair ran: the counts are there all the same, so that every text reads alike.
EventHead NothingRan(std::uint16_t id, EventType type, std::u16string_view outcome) {
    return {id, type, FormatText(u"%s. Found 0, deleted 0.", {outcome})};
}

// IDs 100 to 103 for a repair, 110 to 112 for a report, and the same plus 100 with "Offline".
EventHead RepairHead(const RepairCounts& repair, const RunOptions& options) {
    const bool offline = options.offline.target != OfflineTarget::None;
    const bool report = options.reportOnly;
    const auto id = [group = (offline ? 200 : 100) + (report ? 10 : 0)](int result) {
        return static_cast<std::uint16_t>(group + result);
    };
    const std::u16string_view run =
        offline ? (report ? u"Offline report" : u"Offline repair") : (report ? u"Report" : u"Repair");
    const auto head = [&](std::uint16_t eventId, EventType type, std::u16string_view outcome) {
        return EventHead{eventId, type,
                         FormatText(u"%s: %s. Found %d, deleted %d.",
                                    {run, outcome, repair.invalidCount, repair.deletedCount})};
    };
    if (repair.failed) {
        return head(id(report ? 2 : 3), EventType::Error, u"failed, the log says why");
    }
    if (repair.invalidCount <= 0) {
        return head(id(0), EventType::Information, u"no invalid registry key was found");
    }
    if (report) {
        return head(id(1), EventType::Warning, u"invalid registry keys were found, none was deleted");
    }
    if (repair.deletedCount < repair.invalidCount) {
        return head(id(2), EventType::Warning, u"some invalid registry keys were kept");
    }
    return head(id(1), EventType::Information, u"every invalid registry key was deleted");
}

EventHead RestoreHead(const RestoreResult& restore) {
    const auto head = [&restore](std::uint16_t id, EventType type, std::u16string_view outcome) {
        return EventHead{id, type,
                         FormatText(u"%s. Trees %d, written back %d.",
                                    {outcome, restore.treeCount, restore.restoredCount})};
    };
    if (restore.refused) {
        EventHead refused = head(302, EventType::Error, u"Restore refused, nothing was written back");
        refused.detail = u"Why: " + PrintableText(restore.refusal, kMaxShownText);
        return refused;
    }
    if (restore.restoredCount < restore.treeCount) {
        return head(301, EventType::Warning, u"Restore: some trees of the backup could not be written back");
    }
    return head(300, EventType::Information, u"Restore: every tree of the backup was written back");
}

std::optional<EventHead> HeadOf(const RunOutcome& outcome, const RunOptions& options) {
    using End = RunOutcome::End;
    switch (outcome.end) {
    case End::Repaired:
        return RepairHead(outcome.repair, options);
    case End::Restored:
        return RestoreHead(outcome.restore);
    case End::UnknownSwitch: {
        EventHead refused = NothingRan(900, EventType::Error, u"Command line refused");
        refused.detail = outcome.refusal;
        return refused;
    }
    case End::Refused:
        return NothingRan(901, EventType::Error, u"Not started: administrator rights are required");
    case End::AnotherCopyRunning:
        return NothingRan(902, EventType::Warning, u"Not started: another copy was running");
    case End::Cancelled:
        return NothingRan(903, EventType::Information, u"Cancelled: the wizard was closed before the repair started");
    case End::Failed:
        return NothingRan(904, EventType::Error,
                          u"Failed: the wizard could not be shown, or the tool stopped on an error");
    case End::Help:
        break;
    }
    return std::nullopt;
}

std::u16string Shown(std::u16string_view text) {
    return text.empty() ? u"none" : PrintableText(text, kMaxShownText);
}

constexpr char16_t kWordJoiner = u'\u2060';

// Event Viewer expands "%%n" in an event's string into the system's parameter message n ("%%5"
// shows "Access is denied."), and a viewer may expand "%n" too. A word joiner after each "%" that
// stands before a "%" or a digit breaks every such sequence: it has no width, and unlike a
// zero-width space it lets no line break in, so the text shows as it was typed. The program's own
// words hold no such pair, so the whole text is guarded at once, and no outside text slips past.
std::u16string ShownAsTyped(std::u16string_view text) {
    std::u16string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        shown += text[at];
        const char16_t next = at + 1 < text.size() ? text[at + 1] : u'\0';
        if (text[at] == u'%' && (next == u'%' || (next >= u'0' && next <= u'9'))) {
            shown += kWordJoiner;
        }
    }
    return shown;
}

}  // namespace

const std::u16string& RunBackup(const RunOutcome& outcome, const RunFilePaths& files) {
    return outcome.end == RunOutcome::End::Restored ? outcome.restore.backupPath : files.backup;
}

std::optional<RunEvent> RunEventFor(const RunOutcome& outcome, const RunOptions& options, const RunFilePaths& files,
                                    std::u16string_view commandLine) {
    const std::optional<EventHead> head = HeadOf(outcome, options);
    if (!head) {
        return std::nullopt;
    }
    // Event Viewer breaks lines at CR LF.
    std::u16string text = head->firstLine;
    if (!head->detail.empty()) {
        text += u"\r\n" + head->detail;
    }
    text += FormatText(u"\r\nExit code with /ExitCode: %d.\r\nLog: %s\r\nBackup: %s\r\nSwitches: %s",
                       {ExitCodeWithTheSwitch(outcome, options), Shown(files.log), Shown(RunBackup(outcome, files)),
                        Shown(commandLine)});
    return RunEvent{head->id, head->type, ShownAsTyped(text)};
}

}  // namespace halvorn
