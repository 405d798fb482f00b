// The JSON result of a repair that found many invalid keys, each with a path of about a hundred
// characters: the time to write its text once at the end of the run, the time to hold the keys'
// paths as the run goes, and the text's size.
#include <benchmark/benchmark.h>

#include <string>

#include "app/run_result.h"
#include "tests/bench/numbered_name.h"

namespace halvorn {
namespace {

using bench::NumberedName;

// 103 to 107 characters, as the device keys below Enum have them.
std::u16string InvalidKeyPath(int number) {
    return NumberedName(u"HKLM\\SYSTEM\\ControlSet001\\Enum\\PCI\\VEN_8086&DEV_A0EF&SUBSYS_00000000&REV_20\\3&11583659&0&A0\\"
                        u"$%&'(Stale",
                        number);
}

RunResult RepairThatFound(int keyCount) {
    RunResult result{.outcome = {RunOutcome::End::Repaired, {keyCount, keyCount - 1}},
                     .started = {2026, 12, 9, 22, 20, 10},
                     .finished = {2026, 12, 9, 22, 21, 3},
                     .computer = u"BRIMWELL-PC",
                     .account = u"NT AUTHORITY\\SYSTEM",
                     .arguments = {u"/noui", u"/ExitCode", u"/Result", u"C:\\Windows\\Logs\\Halvorn\\result.json"},
                     .files = {u"C:\\Windows\\SystemTemp\\Brimwell12-9-2026 22h20m10s.log",
                               u"C:\\Windows\\SystemTemp\\Brimwell12-9-2026 22h20m10s.reg"}};
    for (int key = 0; key < keyCount; ++key) {
        result.keys.push_back({InvalidKeyPath(key), key == 0 ? KeyFate::DeletionRefused : KeyFate::Deleted});
    }
    return result;
}

void BM_ResultJson(benchmark::State& state) {
    const RunResult result = RepairThatFound(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::optional<std::string> json = RunResultJson(result);
        bytes = json->size();
        benchmark::DoNotOptimize(json->data());
    }
    state.counters["keys"] = static_cast<double>(result.keys.size());
    state.counters["result_KiB"] = static_cast<double>(bytes) / 1024.0;
    state.counters["bytes_per_key"] = static_cast<double>(bytes) / static_cast<double>(result.keys.size());
}

// What the run adds per key as it goes: its path copied into the result.
void BM_ResultHoldsKeys(benchmark::State& state) {
    std::vector<std::u16string> paths;
    for (int key = 0; key < state.range(0); ++key) {
        paths.push_back(InvalidKeyPath(key));
    }
    for (auto _ : state) {
        RunResult result;
        for (const std::u16string& path : paths) {
            result.keys.push_back({path, KeyFate::Deleted});
        }
        benchmark::DoNotOptimize(result.keys.data());
    }
    state.counters["keys"] = static_cast<double>(paths.size());
}

// 165: as many as the repair of the large hive in repair_run_benchmark.cpp finds.
BENCHMARK(BM_ResultJson)->Arg(165)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResultHoldsKeys)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace halvorn
