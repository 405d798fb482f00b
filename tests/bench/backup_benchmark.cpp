// Deletes one invalid key with a large subtree, with and without saving it to the backup first:
// the backup's cost in time, registry calls and file size.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/repair/registry_cleaner.h"
#include "tests/bench/large_tree.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_registry.h"

namespace halvorn {
namespace {

using bench::BuildLargeTree;
using testing::MemoryLogPlatform;
using testing::MemoryRegistry;

// The large tree of tests/bench/large_tree.h, below a service of a control set.
constexpr char16_t kInvalidKey[] = u"SYSTEM\\ControlSet001\\Services\\Service\\$%&'(Stale";

void DeleteLargeTree(benchmark::State& state, bool withBackup) {
    long keys = 0;
    std::uint64_t calls = 0;
    std::size_t backupBytes = 0;
    std::int32_t deleted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MemoryRegistry registry;
        keys = BuildLargeTree(registry, kInvalidKey);
        MemoryLogPlatform files;
        RepairLog log(files);
        BackupFile backup(log.Files());
        RegistryCleaner cleaner(registry, log, withBackup ? &backup : nullptr);
        const OpenedKey bench(registry, registry.LocalMachine(), u"SYSTEM\\ControlSet001\\Services");
        const std::uint64_t callsBefore = registry.Calls().Total();
        state.ResumeTiming();

        cleaner.ScanSubtree(bench.get(), u"Service", InvalidKeyPrefix);

        state.PauseTiming();
        calls = registry.Calls().Total() - callsBefore;
        backupBytes = withBackup ? files.files.at(backup.Path()).size() : 0;
        deleted = cleaner.deletedCount;
        state.ResumeTiming();
    }
    state.counters["keys_in_tree"] = static_cast<double>(keys);
    state.counters["keys_per_s"] =
        benchmark::Counter(static_cast<double>(keys), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["calls_per_key"] = static_cast<double>(calls) / static_cast<double>(keys);
    state.counters["backup_MiB"] = static_cast<double>(backupBytes) / (1024.0 * 1024.0);
    state.counters["deleted"] = deleted;
}

void BM_DeleteLargeTreeWithBackup(benchmark::State& state) { DeleteLargeTree(state, true); }
void BM_DeleteLargeTreeWithoutBackup(benchmark::State& state) { DeleteLargeTree(state, false); }

BENCHMARK(BM_DeleteLargeTreeWithBackup)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DeleteLargeTreeWithoutBackup)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace halvorn
