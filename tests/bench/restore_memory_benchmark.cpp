// The restore of the backup of the large tree: how much memory it takes beside the file's own size,
// counted by every allocation of the process, and how long it takes against a registry that
// stores nothing, so that only the restore's own work is measured.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "engine/restore/backup_restore.h"
#include "engine/repair/registry_cleaner.h"
#include "tests/bench/large_tree.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_registry.h"

namespace {

std::atomic<std::size_t> g_allocated{0};
std::atomic<std::size_t> g_peak{0};

void* Allocate(std::size_t size) {
    // The size is kept in front of the block, so that a delete without one can count it back.
    auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *block = size;
    const std::size_t now = g_allocated += size;
    for (std::size_t peak = g_peak; now > peak && !g_peak.compare_exchange_weak(peak, now);) {
    }
    return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void Free(void* memory) {
    if (memory != nullptr) {
        auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(memory) - sizeof(std::max_align_t));
        g_allocated -= *block;
        std::free(block);
    }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* memory) noexcept { Free(memory); }
void operator delete[](void* memory) noexcept { Free(memory); }
void operator delete(void* memory, std::size_t) noexcept { Free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { Free(memory); }

namespace halvorn {
namespace {

using testing::MemoryLogPlatform;
using testing::MemoryRegistry;

constexpr char16_t kInvalidKey[] = u"SYSTEM\\ControlSet001\\Services\\Service\\$%&'(Stale";

// Takes every key and value that a restore writes, and keeps none.
class SinkRegistry final : public Registry {
public:
    RegistryKey LocalMachine() const override { return 1; }
    RegistryStatus OpenKey(RegistryKey, const char16_t*, RegistryKey& opened) override { return Open(opened); }
    RegistryStatus OpenSubkey(RegistryKey, const char16_t*, SubkeyAccess, RegistryKey& opened) override {
        return Open(opened);
    }
    bool IsLink(RegistryKey) override { return false; }
    std::uint32_t QuerySubkeyCount(RegistryKey) override { return 0; }
    RegistryStatus EnumerateSubkey(RegistryKey, std::uint32_t, char16_t*, std::uint32_t) override {
        return kRegistryNoMoreItems;
    }
    RegistryStatus EnumerateValue(RegistryKey, std::uint32_t, RegistryValue&) override { return kRegistryNoMoreItems; }
    RegistryStatus CreateKey(RegistryKey, const char16_t*, RegistryKey& opened) override { return Open(opened); }
    RegistryStatus SetValue(RegistryKey, const RegistryValue&) override {
        ++values;
        return kRegistrySuccess;
    }
    RegistryStatus DeleteOpenedKey(RegistryKey) override { return kRegistryAccessDenied; }
    void CloseKey(RegistryKey) override {}

    long keys = 0;
    long values = 0;

private:
    RegistryStatus Open(RegistryKey& opened) {
        opened = 2;
        ++keys;
        return kRegistrySuccess;
    }
};

void BM_RestoreOfTheLargeTree(benchmark::State& state) {
    MemoryLogPlatform files;
    std::u16string backupPath;
    {
        MemoryRegistry registry;
        bench::BuildLargeTree(registry, kInvalidKey);
        RepairLog log(files);
        BackupFile backup(log.Files());
        RegistryCleaner(registry, log, &backup).WalkRoot(u"SYSTEM\\ControlSet001\\Services", true);
        backupPath = backup.Path();
    }
    const std::u16string commandLine = u"/noui /Restore \"" + backupPath + u"\"";
    const double fileSize = static_cast<double>(files.files.at(backupPath).size());
    std::size_t peak = 0;
    SinkRegistry registry;
    RestoreResult result;
    for (auto _ : state) {
        ++files.now.second;  // a log of its own for each restore
        RepairLog log(files);
        const std::size_t before = g_allocated;
        g_peak = before;
        result = BackupRestore(registry, log, files, files).Run(ReadRunOptions(commandLine));
        peak = g_peak - before;
    }
    state.counters["backup_MiB"] = fileSize / (1024.0 * 1024.0);
    state.counters["peak_MiB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    state.counters["peak_per_file_size"] = static_cast<double>(peak) / fileSize;
    state.counters["trees_restored"] = result.restoredCount;
    state.counters["values_per_restore"] = static_cast<double>(registry.values) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_RestoreOfTheLargeTree)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace halvorn
