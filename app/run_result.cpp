#include "app/run_result.h"

#include <string_view>

#include "app/startup.h"
#include "log/json_text.h"
#include "log/text_format.h"
#include "res/version.h"

namespace halvorn {

namespace {

using End = RunOutcome::End;

constexpr std::u16string_view kToolName = u"Halvorn Registry Repair Tool";
constexpr std::u16string_view kVersion = u"" HALVORN_VERSION_TEXT;
// Intune Remediations show this much of the last line of standard output.
constexpr std::size_t kMaxLineBytes = 2048;

// The word for the outcome of the run's event: one per ID, so that the result and the Application
// log never tell two outcomes apart differently. The mode and "report" tell 100 from 110, and a
// repair from an offline one.
std::u16string_view OutcomeWord(std::uint16_t eventId) {
    switch (eventId < 200 || eventId >= 300 ? eventId : eventId - 100) {
    case 100:
    case 110:
        return u"nothingFound";
    case 101:
        return u"repaired";
    case 102:
        return u"partlyRepaired";
    case 103:
    case 112:
        return u"failed";
    case 111:
        return u"keysFound";
    case 300:
        return u"restored";
    case 301:
        return u"partlyRestored";
    case 302:
        return u"restoreRefused";
    case 900:
        return u"commandLineRefused";
    case 901:
        return u"notAdministrator";
    case 902:
        return u"anotherCopyRunning";
    case 903:
        return u"cancelled";
    default:  // 904
        return u"stoppedOnError";
    }
}

// What the command line asked for, whatever became of it; "refused" where it was refused.
std::u16string_view ModeWord(const RunResult& result) {
    if (result.outcome.end == End::UnknownSwitch) {
        return u"refused";
    }
    if (result.options.restore.target != RestoreTarget::None) {
        return u"restore";
    }
    if (result.options.offline.target != OfflineTarget::None) {
        return u"offline";
    }
    return result.options.reportOnly ? u"report" : u"repair";
}

std::u16string_view ReasonWord(KeyFate fate) {
    switch (fate) {
    case KeyFate::NotBackedUp:
        return u"notBackedUp";
    case KeyFate::DeletionRefused:
        return u"deletionRefused";
    case KeyFate::RegistryLink:
        return u"registryLink";
    case KeyFate::ReportOnly:
        return u"reportOnly";
    case KeyFate::Deleted:
        break;
    }
    return {};
}

// What the run could not name (a file that it did not write, an account that it could not read)
// is null, never an empty string.
void StringOrNull(JsonWriter& json, std::string_view key, std::u16string_view text) {
    json.Key(key);
    if (text.empty()) {
        json.Null();
    } else {
        json.String(text);
    }
}

// A registry path, followed by "exactName": false where it was not valid UTF-16.
void RegistryPath(JsonWriter& json, std::u16string_view path) {
    json.Key("path");
    if (!json.String(path)) {
        json.Key("exactName");
        json.Bool(false);
    }
}

void Text(JsonWriter& json, std::string_view key, std::u16string_view text) {
    json.Key(key);
    json.String(text);
}

void Time(JsonWriter& json, std::string_view key, const UtcTime& time) {
    const auto two = [](std::uint16_t value) {
        return std::u16string{static_cast<char16_t>(u'0' + value / 10 % 10), static_cast<char16_t>(u'0' + value % 10)};
    };
    json.Key(key);
    json.String(two(time.year / 100) + two(time.year % 100) + u"-" + two(time.month) + u"-" + two(time.day) + u"T" +
                two(time.hour) + u":" + two(time.minute) + u":" + two(time.second) + u"Z");
}

void Keys(JsonWriter& json, const std::vector<ResultKey>& keys) {
    json.Key("keys");
    json.BeginArray();
    for (const ResultKey& key : keys) {
        json.BeginObject();
        RegistryPath(json, key.path);
        json.Key("deleted");
        json.Bool(key.fate == KeyFate::Deleted);
        if (key.fate != KeyFate::Deleted) {
            Text(json, "reason", ReasonWord(key.fate));
        }
        json.EndObject();
    }
    json.EndArray();
}

void Trees(JsonWriter& json, const std::vector<ResultTree>& trees) {
    json.Key("trees");
    json.BeginArray();
    for (const ResultTree& tree : trees) {
        json.BeginObject();
        RegistryPath(json, tree.path);
        json.Key("restored");
        json.Bool(tree.restored);
        if (!tree.restored) {
            Text(json, "why", tree.why);
        }
        json.EndObject();
    }
    json.EndArray();
}

void Installations(JsonWriter& json, const std::vector<ResultInstallation>& installations) {
    json.Key("installations");
    json.BeginArray();
    for (const ResultInstallation& installation : installations) {
        json.BeginObject();
        StringOrNull(json, "windows", installation.windows);
        StringOrNull(json, "hive", installation.hive);
        StringOrNull(json, "loadedAt", installation.loadedAt);
        StringOrNull(json, "log", installation.copies.log);
        StringOrNull(json, "backup", installation.copies.backup);
        json.EndObject();
    }
    json.EndArray();
}

// Why nothing was written or run, where the outcome is a refusal.
std::u16string RefusalOf(const RunOutcome& outcome) {
    if (outcome.end == End::UnknownSwitch) {
        return outcome.refusal;
    }
    return outcome.end == End::Restored && outcome.restore.refused ? outcome.restore.refusal : std::u16string();
}

// The JSON text is mostly the keys' paths: room for them at once spares copies of a large text.
std::size_t ExpectedSize(const RunResult& result) {
    std::size_t size = 1024;
    for (const ResultKey& key : result.keys) {
        size += key.path.size() + 64;
    }
    return size;
}

}  // namespace

std::optional<std::string> RunResultJson(const RunResult& result) {
    const std::optional<RunEvent> event = RunEventFor(result.outcome, result.options, {}, u"");
    if (!event) {
        return std::nullopt;
    }
    const std::u16string_view mode = ModeWord(result);
    JsonWriter json;
    json.Reserve(ExpectedSize(result));
    json.BeginObject();
    Text(json, "tool", kToolName);
    Text(json, "version", kVersion);
    Text(json, "mode", mode);
    json.Key("report");
    json.Bool(result.options.reportOnly);
    Text(json, "outcome", OutcomeWord(event->id));
    json.Key("exitCode");
    json.Number(ExitCodeWithTheSwitch(result.outcome, result.options));
    Time(json, "started", result.started);
    Time(json, "finished", result.finished);
    StringOrNull(json, "computer", result.computer);
    StringOrNull(json, "account", result.account);
    json.Key("arguments");
    json.BeginArray();
    for (const std::u16string& argument : result.arguments) {
        json.String(argument);
    }
    json.EndArray();
    json.Key("found");
    json.Number(result.outcome.repair.invalidCount);
    json.Key("deleted");
    json.Number(result.outcome.repair.deletedCount);
    Keys(json, result.keys);
    if (mode == u"restore") {
        Trees(json, result.trees);
    }
    if (const std::u16string refusal = RefusalOf(result.outcome); !refusal.empty()) {
        Text(json, "why", refusal);
    }
    StringOrNull(json, "log", result.files.log);
    StringOrNull(json, "backup", RunBackup(result.outcome, result.files));
    if (mode == u"offline") {
        Installations(json, result.installations);
    }
    json.EndObject();
    return json.Take();
}

int ProcessExitCode(const RunResult& result) {
    const int code = ExitCodeFor(result.outcome, result.options);
    return result.resultLost ? ExitCodeWithLostResult(code) : code;
}

std::optional<std::string> StandardOutputLine(const RunResult& result) {
    const std::optional<RunEvent> event = RunEventFor(result.outcome, result.options, {}, u"");
    if (!event) {
        return std::nullopt;
    }
    std::u16string mode(ModeWord(result));
    if (mode == u"offline" && result.options.reportOnly) {
        mode += u" report";
    }
    const bool restore = result.outcome.end == End::Restored;
    const std::int32_t counts[] = {restore ? result.outcome.restore.treeCount : result.outcome.repair.invalidCount,
                                   restore ? result.outcome.restore.restoredCount : result.outcome.repair.deletedCount};
    const std::u16string& log = result.files.log;
    const std::u16string text =
        FormatText(restore ? u"HalvornRepair %s: %s, trees %d, written back %d, exit code %d, log %s"
                           : u"HalvornRepair %s: %s, found %d, deleted %d, exit code %d, log %s",
                   {mode, OutcomeWord(event->id), counts[0], counts[1], ProcessExitCode(result),
                    log.empty() ? std::u16string(u"none") : PrintableText(log, log.size())});
    std::string line;
    AppendUtf8(line, text);
    if (line.size() > kMaxLineBytes) {
        constexpr std::string_view kCut = "...";
        std::size_t end = kMaxLineBytes - kCut.size();
        // A continuation byte (10xxxxxx) at the cut belongs to a character that starts before it.
        while ((static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) {
            --end;
        }
        line.resize(end);
        line += kCut;
    }
    return line;
}

}  // namespace halvorn
