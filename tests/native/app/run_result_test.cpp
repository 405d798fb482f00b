#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>

#include "app/run_result.h"
#include "app/startup.h"
#include "log/json_text.h"

namespace halvorn {
namespace {

using End = RunOutcome::End;
using nlohmann::ordered_json;

// Every field in its place: a row gives those from "mode" to "exitCode" and those from "arguments" on.
std::string ExpectedJson(std::string_view head, std::string_view tail) {
    return R"({"tool":"Halvorn Registry Repair Tool","version":"1.0.0.19",)" + std::string(head) +
           R"(,"started":"2026-03-04T05:06:07Z","finished":"2026-12-09T22:20:10Z","computer":"BRIMWELL-PC",)"
           R"("account":"NT AUTHORITY\\SYSTEM",)" + std::string(tail) + "}";
}

TEST(RunResult, EachOutcomeGivesOneJsonObjectWithItsFieldsInOrderInValidUtf8) {
    const RunFilePaths files{u"C:\\T\\B.log", u"C:\\T\\B.reg"};
    const RunFilePaths logOnly{u"C:\\T\\B.log", u""};
    const struct {
        RunResult result;
        std::string_view head;
        std::string_view tail;
    } cases[] = {
        {{.outcome = {End::Repaired, {5, 1}},
          .arguments = {u"/noui", u"/Result", u"C:\\T\\r \"1\".json"},
          .keys = {{u"HKLM\\S\\Quote\"d", KeyFate::Deleted}, {u"HKLM\\S\\Ctl\x01Line\nEnd", KeyFate::NotBackedUp},
                   {u"HKLM\\S\\Sep\u2028Name", KeyFate::DeletionRefused},
                   {u"HKLM\\S\\Smile\U0001F600", KeyFate::RegistryLink}, {u"HKLM\\S\\Half\xD800", KeyFate::ReportOnly}},
          .files = files},
         R"("mode":"repair","report":false,"outcome":"partlyRepaired","exitCode":1603)",
         R"("arguments":["/noui","/Result","C:\\T\\r \"1\".json"],"found":5,"deleted":1,"keys":[)"
         R"({"path":"HKLM\\S\\Quote\"d","deleted":true},)"
         R"({"path":"HKLM\\S\\Ctl\u0001Line\nEnd","deleted":false,"reason":"notBackedUp"},)"
         R"({"path":"HKLM\\S\\Sep\u2028Name","deleted":false,"reason":"deletionRefused"},)"
         R"({"path":"HKLM\\S\\Smile\ud83d\ude00","deleted":false,"reason":"registryLink"},)"
         R"({"path":"HKLM\\S\\Half\ufffd","exactName":false,"deleted":false,"reason":"reportOnly"}],)"
         R"("log":"C:\\T\\B.log","backup":"C:\\T\\B.reg")"},
        {{.outcome = {End::Repaired, {1, 0}},
          .options = {.reportOnly = true, .exitCode = true},
          .keys = {{u"HKLM\\S\\Stale", KeyFate::ReportOnly}},
          .files = logOnly},
         R"("mode":"report","report":true,"outcome":"keysFound","exitCode":1)",
         R"("arguments":[],"found":1,"deleted":0,"keys":[{"path":"HKLM\\S\\Stale","deleted":false,)"
         R"("reason":"reportOnly"}],"log":"C:\\T\\B.log","backup":null)"},
        // A restore finds no invalid key and deletes none; the backup is the one that it read.
        {{.outcome = {End::Restored, {}, {u"D:\\Old.reg", 2, 1}},
          .options = {.restore = {RestoreTarget::NamedBackup, u"D:\\Old.reg"}},
          .trees = {{u"HKLM\\S\\A", true}, {u"HKLM\\S\\B\xDC00", false, u"access is denied"}},
          .files = files},
         R"("mode":"restore","report":false,"outcome":"partlyRestored","exitCode":1603)",
         R"("arguments":[],"found":0,"deleted":0,"keys":[],"trees":[{"path":"HKLM\\S\\A","restored":true},)"
         R"({"path":"HKLM\\S\\B\ufffd","exactName":false,"restored":false,"why":"access is denied"}],)"
         R"("log":"C:\\T\\B.log","backup":"D:\\Old.reg")"},
        {{.outcome = {End::Restored, {}, {u"", 0, 0, true, u"no backup"}},
          .options = {.restore = {RestoreTarget::NewestBackup, {}}},
          .files = logOnly},
         R"("mode":"restore","report":false,"outcome":"restoreRefused","exitCode":1603)",
         R"("arguments":[],"found":0,"deleted":0,"keys":[],"trees":[],"why":"no backup","log":"C:\\T\\B.log",)"
         R"("backup":null)"},
        {{.outcome = {End::Repaired, {2, 2}},
          .options = {.offline = {OfflineTarget::Search, {}}},
          .keys = {{u"HKLM\\OffD\\X", KeyFate::Deleted}, {u"HKLM\\OffE\\Y", KeyFate::Deleted}},
          .files = files,
          .installations = {{u"D:\\W", u"D:\\W\\SYSTEM", u"HKLM\\OffD", {u"D:\\B.log", u"D:\\B.reg"}},
                            {u"E:\\W", u"E:\\W\\SYSTEM", u"HKLM\\OffE", {u"E:\\B.log", u""}}}},
         R"("mode":"offline","report":false,"outcome":"repaired","exitCode":3010)",
         R"("arguments":[],"found":2,"deleted":2,"keys":[{"path":"HKLM\\OffD\\X","deleted":true},)"
         R"({"path":"HKLM\\OffE\\Y","deleted":true}],"log":"C:\\T\\B.log","backup":"C:\\T\\B.reg","installations":[)"
         R"({"windows":"D:\\W","hive":"D:\\W\\SYSTEM","loadedAt":"HKLM\\OffD","log":"D:\\B.log","backup":"D:\\B.reg"},)"
         R"({"windows":"E:\\W","hive":"E:\\W\\SYSTEM","loadedAt":"HKLM\\OffE","log":"E:\\B.log","backup":null}])"},
        {{.outcome = {End::Repaired, {0, 0}},
          .options = {.reportOnly = true, .offline = {OfflineTarget::NamedHive, u"HIVE"}},
          .files = logOnly,
          .installations = {{u"", u"", u"HKLM\\HIVE"}}},
         R"("mode":"offline","report":true,"outcome":"nothingFound","exitCode":0)",
         R"("arguments":[],"found":0,"deleted":0,"keys":[],"log":"C:\\T\\B.log","backup":null,"installations":[)"
         R"({"windows":null,"hive":null,"loadedAt":"HKLM\\HIVE","log":null,"backup":null}])"},
        {{.outcome = {End::UnknownSwitch, {}, {}, UnknownSwitchText(u"/Reprot")}, .arguments = {u"/noui", u"/Reprot"}},
         R"("mode":"refused","report":false,"outcome":"commandLineRefused","exitCode":1639)",
         R"("arguments":["/noui","/Reprot"],"found":0,"deleted":0,"keys":[],"why":"Unknown switch \"/Reprot\": )"
         R"(nothing was changed. Start the tool with /? for the switches that it knows.","log":null,"backup":null)"},
        {{.outcome = {End::Refused}, .options = {.reportOnly = true}, .arguments = {u"/Report"}},
         R"("mode":"report","report":true,"outcome":"notAdministrator","exitCode":740)",
         R"("arguments":["/Report"],"found":0,"deleted":0,"keys":[],"log":null,"backup":null)"},
    };
    for (const auto& [input, head, tail] : cases) {
        RunResult result = input;
        result.started = {2026, 3, 4, 5, 6, 7};
        result.finished = {2026, 12, 9, 22, 20, 10};
        result.computer = u"BRIMWELL-PC";
        result.account = u"NT AUTHORITY\\SYSTEM";
        const std::string json = RunResultJson(result).value();
        // Raw control characters and line separators break readers; parse throws on invalid UTF-8.
        EXPECT_TRUE(std::none_of(json.begin(), json.end(), [](char byte) { return byte >= 0 && byte < 0x20; }));
        EXPECT_EQ(json.find("\xe2\x80\xa8"), std::string::npos);
        EXPECT_EQ(json.front(), '{') << "no byte-order mark";
        // Compared as ordered objects: names, order, types and values at once.
        EXPECT_EQ(ordered_json::parse(json), ordered_json::parse(ExpectedJson(head, tail))) << json;
    }
    EXPECT_FALSE(RunResultJson({.outcome = {End::Help}}));
}

// The result tells which event the run wrote: no mode, "report" and outcome stand for two IDs, and
// each ID has one outcome word.
TEST(RunResult, ModeReportAndOutcomeTellEachEventIdApart) {
    const RunOptions restore{.restore = {RestoreTarget::NewestBackup, {}}};
    const RunOptions repairs[] = {{}, {.reportOnly = true}, {.offline = {OfflineTarget::Search, {}}},
                                  {.reportOnly = true, .offline = {OfflineTarget::NamedHive, u"H"}}};
    std::vector<RunResult> runs;
    for (const RunOptions& options : repairs) {
        for (const RepairCounts counts : {RepairCounts{0, 0}, {3, 3}, {3, 2}, {0, 0, true}}) {
            runs.push_back({.outcome = {End::Repaired, counts}, .options = options});
        }
    }
    for (const RestoreResult& restored : {RestoreResult{u"b", 2, 2}, {u"b", 2, 1}, {u"", 0, 0, true}}) {
        runs.push_back({.outcome = {End::Restored, {}, restored}, .options = restore});
    }
    for (const End end : {End::UnknownSwitch, End::Refused, End::AnotherCopyRunning, End::Cancelled, End::Failed}) {
        for (const RunOptions& options : {repairs[0], repairs[1], restore}) {
            runs.push_back({.outcome = {end}, .options = options});
        }
    }
    std::map<std::tuple<std::string, bool, std::string>, std::uint16_t> idOf;
    std::map<std::uint16_t, std::string> wordOf;
    for (const RunResult& run : runs) {
        const std::uint16_t id = RunEventFor(run.outcome, run.options, {}, u"").value().id;
        const ordered_json json = ordered_json::parse(RunResultJson(run).value());
        EXPECT_EQ(idOf.try_emplace({json["mode"], json["report"], json["outcome"]}, id).first->second, id) << json;
        EXPECT_EQ(wordOf.try_emplace(id, json["outcome"]).first->second, json["outcome"]) << id;
    }
    EXPECT_EQ(wordOf.size(), 22u) << "100-103, 110-112, 200-203, 210-212, 300-302 and 900-904";
}

TEST(RunResult, StandardOutputHasOneLineOfAtMost2048BytesCutBetweenCharacters) {
    RunResult repaired{.outcome = {End::Repaired, {3, 3}},
                       .options = {.exitCode = true},
                       .files = {u"C:\\Windows\\SystemTemp\\Brimwell12-9-2026 22h20m10s.log", u"C:\\b.reg"}};
    const std::string start = "HalvornRepair repair: repaired, found 3, deleted 3, exit code 3010, log ";
    EXPECT_EQ(StandardOutputLine(repaired), start + "C:\\Windows\\SystemTemp\\Brimwell12-9-2026 22h20m10s.log");
    // The exit code is the one that the process ends with; a line end in a path starts no line.
    EXPECT_EQ(StandardOutputLine({.outcome = {End::Restored, {}, {u"b", 2, 1}},
                                  .options = {.restore = {RestoreTarget::NewestBackup, {}}},
                                  .files = {u"C:\\T\\a\r\nb.log", u""}}),
              "HalvornRepair restore: partlyRestored, trees 2, written back 1, exit code 0, log C:\\T\\a??b.log");
    EXPECT_EQ(StandardOutputLine({.outcome = {End::Repaired, {1, 0}},
                                  .options = {.reportOnly = true, .offline = {OfflineTarget::Search, {}}},
                                  .resultLost = true}),
              "HalvornRepair offline report: keysFound, found 1, deleted 0, exit code 1603, log none");
    EXPECT_FALSE(StandardOutputLine({.outcome = {End::Help}}));
    // Each of the three places in a three-byte character where 2,045 bytes can end.
    for (const std::size_t pad : {0, 1, 2}) {
        repaired.files.log = std::u16string(pad, u'x') + std::u16string(1000, u'\u20ac');
        const std::string line = StandardOutputLine(repaired).value();
        std::string whole = start;
        AppendUtf8(whole, repaired.files.log);
        ASSERT_LE(line.size(), 2048u);
        ASSERT_GE(line.size(), 2046u);
        const std::size_t kept = line.size() - 3;
        EXPECT_EQ(line.substr(kept), "...");
        EXPECT_EQ(line.substr(0, kept), whole.substr(0, kept));
        EXPECT_NE(static_cast<unsigned char>(whole[kept]) & 0xC0, 0x80) << "a character cut at " << kept;
        EXPECT_NO_THROW(static_cast<void>(nlohmann::json(line).dump())) << "valid UTF-8";
    }
}

}  // namespace
}  // namespace halvorn
