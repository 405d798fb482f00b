// A whole repair run over an in-memory registry shaped like a large system hive, in the default
// mode (target services only) and with "/Override" (every subkey of the three roots).
#include <benchmark/benchmark.h>

#include <string>

#include "engine/repair/registry_cleaner.h"
#include "engine/repair/target_services.h"
#include "tests/bench/numbered_name.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_registry.h"

namespace halvorn {
namespace {

using bench::NumberedName;
using testing::MemoryLogPlatform;
using testing::MemoryRegistry;

// Per control set: 1,000 services (the 78 targets among them) of 35 keys each, 5,000 Enum device
// keys of 6 keys each and 500 Control keys of 10 keys each; three control sets, about 210,000 keys.
// Every twentieth service, device and control key holds an invalid key with a two-key subtree.
class LargeHive {
public:
    static constexpr int kControlSets = 3;
    static constexpr int kServices = 1000;
    static constexpr int kDevices = 5000;
    static constexpr int kControls = 500;

    explicit LargeHive(MemoryRegistry& registry) : m_registry(registry) {
        for (int set = 1; set <= kControlSets; ++set) {
            const std::u16string root = NumberedName(u"SYSTEM\\ControlSet00", set);
            for (int service = 0; service < kServices; ++service) {
                const std::u16string name = service < static_cast<int>(TargetServiceTable.size())
                                                ? std::u16string(TargetServiceTable[service])
                                                : NumberedName(u"Service", service);
                AddService(root + u"\\Services\\" + name, service);
            }
            for (int device = 0; device < kDevices; ++device) {
                // Devices are grouped by bus; a few buses are named after target drivers.
                const std::u16string bus = device % 50 < 3 ? std::u16string(TargetServiceTable[device % 50])
                                                           : NumberedName(u"Bus", device % 50);
                AddDevice(root + u"\\Enum\\" + bus + NumberedName(u"\\Device", device), device);
            }
            for (int control = 0; control < kControls; ++control) {
                AddControl(root + u"\\Control\\" +
                               (control < 20 ? std::u16string(TargetServiceTable[20 + control])
                                             : NumberedName(u"Control", control)),
                           control);
            }
        }
        m_registry.CreateKey(u"SYSTEM\\Select");
        m_registry.CreateKey(u"SYSTEM\\MountedDevices");
    }

    long Keys() const { return m_keys; }

private:
    void Add(const std::u16string& path) {
        m_registry.CreateKey(path);
        ++m_keys;
    }

    void AddInvalidKeyEveryTwentieth(const std::u16string& path, int number) {
        if (number % 20 == 0) {
            Add(path + u"\\$%&'(Stale");
            Add(path + u"\\$%&'(Stale\\Sub");
            Add(path + u"\\$%&'(Stale\\Sub\\Leaf");
        }
    }

    void AddService(const std::u16string& path, int number) {
        Add(path);
        for (int group = 0; group < 4; ++group) {
            const std::u16string groupPath = path + NumberedName(u"\\Group", group);
            Add(groupPath);
            for (int value = 0; value < 7; ++value) {
                Add(groupPath + NumberedName(u"\\Value", value));
            }
        }
        Add(path + u"\\Parameters");
        Add(path + u"\\Security");
        AddInvalidKeyEveryTwentieth(path + u"\\Parameters", number);
    }

    void AddDevice(const std::u16string& path, int number) {
        Add(path);
        Add(path + u"\\0000");
        Add(path + u"\\0000\\Device Parameters");
        Add(path + u"\\0000\\Device Parameters\\Interrupt Management");
        Add(path + u"\\0000\\LogConf");
        Add(path + u"\\0000\\Properties");
        AddInvalidKeyEveryTwentieth(path + u"\\0000", number);
    }

    void AddControl(const std::u16string& path, int number) {
        Add(path);
        for (int entry = 0; entry < 9; ++entry) {
            Add(path + NumberedName(u"\\Entry", entry));
        }
        AddInvalidKeyEveryTwentieth(path, number);
    }

    MemoryRegistry& m_registry;
    long m_keys = 0;
};

void RunOverLargeHive(benchmark::State& state, const char16_t* commandLine) {
    MemoryRegistry::CallCounts calls;
    long keysInHive = 0;
    int logLines = 0;
    std::int32_t deleted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MemoryRegistry registry;
        keysInHive = LargeHive(registry).Keys();
        MemoryLogPlatform logPlatform;
        RepairLog log(logPlatform);
        RegistryCleaner cleaner(registry, log);
        const MemoryRegistry::CallCounts before = registry.Calls();
        state.ResumeTiming();

        cleaner.Run(commandLine);

        state.PauseTiming();
        calls = registry.Calls().Since(before);
        logLines = logPlatform.appendCalls;
        deleted = cleaner.deletedCount;
        state.ResumeTiming();
    }
    // A key is visited when enumeration returns its name.
    const auto visited = static_cast<double>(calls.enumerated);
    state.counters["keys_in_hive"] = static_cast<double>(keysInHive);
    state.counters["keys_visited"] = visited;
    state.counters["keys_visited_per_s"] =
        benchmark::Counter(visited, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["calls_per_visited_key"] = static_cast<double>(calls.Total()) / visited;
    state.counters["log_lines"] = logLines;
    state.counters["deleted"] = deleted;
}

void BM_RepairRunDefault(benchmark::State& state) { RunOverLargeHive(state, u"/noui"); }
void BM_RepairRunOverride(benchmark::State& state) { RunOverLargeHive(state, u"/noui /Override"); }

BENCHMARK(BM_RepairRunDefault)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RepairRunOverride)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace halvorn
