// Scans an in-memory registry of about a million keys and reports the walk's speed, its registry
// calls per visited key and the key handles it leaves open.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/repair/registry_cleaner.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/bench/numbered_name.h"

namespace halvorn {
namespace {

using testing::MemoryLogPlatform;
using testing::MemoryRegistry;
using bench::NumberedName;

// 100 services, each with 100 device keys of 99 leaf values: 100 + 10,000 + 990,000 keys. One key
// in a hundred at the leaf level is invalid and carries a subtree of two keys.
struct Hive {
    static constexpr int kServices = 100;
    static constexpr int kDevices = 100;
    static constexpr int kLeaves = 99;

    // Returns the number of keys created.
    static long Build(MemoryRegistry& registry) {
        long keys = 0;
        for (int service = 0; service < kServices; ++service) {
            const std::u16string servicePath = NumberedName(u"Bench\\Root\\Service", service);
            for (int device = 0; device < kDevices; ++device) {
                const std::u16string devicePath = servicePath + NumberedName(u"\\Device", device);
                for (int leaf = 0; leaf < kLeaves; ++leaf) {
                    if ((device * kLeaves + leaf) % 100 == 0) {
                        registry.CreateKey(devicePath + NumberedName(u"\\$%&'(Invalid", leaf) + u"\\Sub\\Leaf");
                        keys += 3;
                    } else {
                        registry.CreateKey(devicePath + NumberedName(u"\\Value", leaf));
                        keys += 1;
                    }
                }
                keys += 1;
            }
            keys += 1;
        }
        return keys;
    }
};

void BM_ScanMillionKeys(benchmark::State& state) {
    long keysBuilt = 0;
    std::uint64_t calls = 0;
    std::size_t handlesLeft = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MemoryRegistry registry;
        keysBuilt = Hive::Build(registry);
        MemoryLogPlatform logPlatform;
        RepairLog log(logPlatform);
        RegistryCleaner cleaner(registry, log);
        const OpenedKey bench(registry, registry.LocalMachine(), u"Bench");
        const std::uint64_t callsBefore = registry.Calls().Total();
        state.ResumeTiming();

        cleaner.ScanSubtree(bench.get(), u"Root", InvalidKeyPrefix);

        state.PauseTiming();
        calls = registry.Calls().Total() - callsBefore;
        handlesLeft = registry.OpenHandleCount() - 1;  // less the benchmark's own "Bench" handle
        benchmark::DoNotOptimize(cleaner.deletedCount);
        state.ResumeTiming();
    }
    // Every key of the tree is visited: scanned, or deleted with an invalid key's subtree.
    state.counters["keys_visited_per_s"] =
        benchmark::Counter(static_cast<double>(keysBuilt), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["calls_per_visited_key"] = static_cast<double>(calls) / static_cast<double>(keysBuilt);
    state.counters["handles_left_open"] = static_cast<double>(handlesLeft);
}
BENCHMARK(BM_ScanMillionKeys)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace halvorn
