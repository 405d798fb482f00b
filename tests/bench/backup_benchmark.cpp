// Deletes one invalid key with a large subtree, with and without saving it to the backup first:
// the backup's cost in time, registry calls and file size.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/registry_cleaner.h"
#include "tests/bench/numbered_name.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_registry.h"

namespace halvorn {
namespace {

using bench::NumberedName;
using testing::MemoryLogPlatform;
using testing::MemoryRegistry;

// Below Bench\Root\Service\$%&'(Stale: 20 groups of 50 devices with 10 entries each, 10,000 keys
// and the invalid key; every entry holds a string, a number, 64 bytes of binary data and a
// multi-string.
constexpr int kGroups = 20;
constexpr int kDevices = 50;
constexpr int kEntries = 10;
constexpr char16_t kInvalidKey[] = u"Bench\\Root\\Service\\$%&'(Stale";

long BuildTree(MemoryRegistry& registry) {
    long keys = 1;
    registry.CreateKey(kInvalidKey);
    const std::vector<std::uint8_t> text = {'C', 0, ':', 0, '\\', 0, 'x', 0, 0, 0};
    const std::vector<std::uint8_t> list = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0};
    const std::vector<std::uint8_t> binary(64, 0x5a);
    for (int group = 0; group < kGroups; ++group) {
        const std::u16string groupPath = NumberedName(std::u16string(kInvalidKey) + u"\\Group", group);
        registry.CreateKey(groupPath);
        ++keys;
        for (int device = 0; device < kDevices; ++device) {
            const std::u16string devicePath = NumberedName(groupPath + u"\\Device", device);
            registry.CreateKey(devicePath);
            ++keys;
            for (int entry = 0; entry < kEntries; ++entry) {
                const std::u16string entryPath = NumberedName(devicePath + u"\\Entry", entry);
                registry.SetValue(entryPath, {u"Path", kRegSz, text});
                registry.SetValue(entryPath, {u"Start", kRegDword, {3, 0, 0, 0}});
                registry.SetValue(entryPath, {u"Data", kRegBinary, binary});
                registry.SetValue(entryPath, {u"Names", kRegMultiSz, list});
                ++keys;
            }
        }
    }
    return keys;
}

void DeleteLargeTree(benchmark::State& state, bool withBackup) {
    long keys = 0;
    std::uint64_t calls = 0;
    std::size_t backupBytes = 0;
    std::int32_t deleted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MemoryRegistry registry;
        keys = BuildTree(registry);
        MemoryLogPlatform files;
        RepairLog log(files);
        BackupFile backup(log.Files());
        RegistryCleaner cleaner(registry, log, withBackup ? &backup : nullptr);
        const OpenedKey bench(registry, registry.LocalMachine(), u"Bench\\Root");
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
