// Under Wine: a repair run with "/Override" over a control set of about 20,000 keys, against a bare
// walk of the same keys that makes only the open, query, enumerate and close calls. Their ratio is
// what the engine itself adds to the registry's own cost. Then the cost of the backup: a repair
// that deletes 100 trees with and without saving them, and the part of it that goes to having each
// tree on the disk before its deletion.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/backup/backup_file.h"
#include "engine/repair/registry_cleaner.h"
#include "engine/registry/windows_registry.h"
#include "log/windows_log_platform.h"
#include "tests/bench/wine/timing.h"
#include "log/windows_text.h"

namespace {

using namespace halvorn;
using bench::Median;
using bench::TimeSeconds;

constexpr wchar_t kBenchSet[] = L"SYSTEM\\ControlSetBench";

void CreateKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
}

// 200 services of 30 keys, 1,000 devices of 6 keys and 800 control keys of 10 keys.
int CreateBenchControlSet() {
    const std::wstring root = kBenchSet;
    int keys = 0;
    const auto add = [&keys](const std::wstring& path) {
        CreateKey(path);
        ++keys;
    };
    for (int service = 0; service < 200; ++service) {
        const std::wstring path = root + L"\\Services\\Service" + std::to_wstring(service);
        add(path);
        for (int group = 0; group < 4; ++group) {
            const std::wstring groupPath = path + L"\\Group" + std::to_wstring(group);
            add(groupPath);
            for (int value = 0; value < 6; ++value) {
                add(groupPath + L"\\Value" + std::to_wstring(value));
            }
        }
        add(path + L"\\Parameters");
    }
    for (int device = 0; device < 1000; ++device) {
        const std::wstring path = root + L"\\Enum\\Bus" + std::to_wstring(device % 20) + L"\\Device" +
                                  std::to_wstring(device);
        add(path);
        add(path + L"\\0000");
        add(path + L"\\0000\\Device Parameters");
        add(path + L"\\0000\\Device Parameters\\Interrupt Management");
        add(path + L"\\0000\\LogConf");
        add(path + L"\\0000\\Properties");
    }
    for (int control = 0; control < 800; ++control) {
        const std::wstring path = root + L"\\Control\\Control" + std::to_wstring(control);
        add(path);
        for (int entry = 0; entry < 9; ++entry) {
            add(path + L"\\Entry" + std::to_wstring(entry));
        }
    }
    return keys;
}

// Visits every key below key: open, query, enumerate, close, and nothing else.
long BareWalk(HKEY parent, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;
    }
    DWORD subkeys = 0;
    DWORD longest = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    long visited = 0;
    std::vector<wchar_t> child(RegistryCleaner::kScanNameCapacity);
    for (DWORD index = 0; index < subkeys; ++index) {
        DWORD length = RegistryCleaner::kScanNameCapacity;
        if (RegEnumKeyExW(key, index, child.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS) {
            visited += 1 + BareWalk(key, child.data());
        }
    }
    RegCloseKey(key);
    return visited;
}

// The roots of every control set, as the repair run selects them.
long BareWalkOfAllControlSets() {
    HKEY system = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM", 0, KEY_READ, &system) != ERROR_SUCCESS) {
        return 0;
    }
    long visited = 0;
    wchar_t name[RegistryCleaner::kScanNameCapacity];
    for (DWORD index = 0;; ++index) {
        DWORD length = RegistryCleaner::kScanNameCapacity;
        if (RegEnumKeyExW(system, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        if (_wcsnicmp(name, L"CONTROLSET", 10) == 0 || _wcsnicmp(name, L"CURRENTCONTROLSET", 17) == 0) {
            for (const wchar_t* root : {L"\\Services", L"\\Enum", L"\\Control"}) {
                visited += BareWalk(HKEY_LOCAL_MACHINE, (std::wstring(L"SYSTEM\\") + name + root).c_str());
            }
        }
    }
    RegCloseKey(system);
    return visited;
}

// 100 invalid trees of 11 keys with two values each, below the bench control set's services.
void CreateInvalidTrees() {
    for (int tree = 0; tree < 100; ++tree) {
        const std::wstring path = std::wstring(kBenchSet) + L"\\Services\\Service" + std::to_wstring(tree) +
                                  L"\\$%&'(stale" + std::to_wstring(tree);
        for (int key = 0; key <= 10; ++key) {
            const std::wstring keyPath = key == 0 ? path : path + L"\\Instance" + std::to_wstring(key);
            CreateKey(keyPath);
            const wchar_t text[] = L"C:\\Program Files\\Halvorn\\filter.sys";
            const DWORD start = 3;
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, keyPath.c_str(), L"ImagePath", REG_SZ, text, sizeof(text));
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, keyPath.c_str(), L"Start", REG_DWORD, &start, sizeof(start));
        }
    }
}

}  // namespace

int main() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kBenchSet);
    const int created = CreateBenchControlSet();
    const long visited = BareWalkOfAllControlSets();

    WindowsLogPlatform logPlatform;
    RepairLog log(logPlatform);
    std::vector<double> bareTimes;
    std::vector<double> runTimes;
    // Alternated, so that both see the same state of Wine's server.
    for (int round = 0; round < 7; ++round) {
        bareTimes.push_back(TimeSeconds([] { BareWalkOfAllControlSets(); }));
        runTimes.push_back(TimeSeconds([&log] {
            WindowsRegistry registry;
            RegistryCleaner cleaner(registry, log);
            cleaner.Run(u"/noui /Override");
        }));
    }
    const double bare = Median(bareTimes);
    const double run = Median(runTimes);

    std::printf("keys created in the bench control set: %d\n", created);
    std::printf("keys visited per walk (all control sets): %ld\n", visited);
    std::printf("bare walk:  %.1f ms, %.0f keys/s\n", bare * 1000, static_cast<double>(visited) / bare);
    std::printf("repair run: %.1f ms, %.0f keys/s\n", run * 1000, static_cast<double>(visited) / run);
    std::printf("run / bare walk: %.3f\n", run / bare);

    // Each round deletes the trees; the backup's file grows from round to round as a real one would.
    std::vector<double> withBackup;
    std::vector<double> withoutBackup;
    BackupFile backup(log.Files());
    for (int round = 0; round < 5; ++round) {
        for (const bool saved : {true, false}) {
            CreateInvalidTrees();
            (saved ? withBackup : withoutBackup).push_back(TimeSeconds([&] {
                WindowsRegistry registry;
                RegistryCleaner cleaner(registry, log, saved ? &backup : nullptr);
                cleaner.Run(u"/noui /Override");
            }));
        }
    }
    WIN32_FILE_ATTRIBUTE_DATA backupFile{};
    GetFileAttributesExW(ToWide(backup.Path()).c_str(), GetFileExInfoStandard,
                         &backupFile);
    const double treeBytes = static_cast<double>(backupFile.nFileSizeLow) / (5 * 100);

    // The same tree-sized appends, once whole and on the disk as the backup makes them, once left
    // in the system's cache: their difference is what having each tree on the disk costs.
    const std::string tree(static_cast<std::size_t>(treeBytes), 'x');
    RunFiles scratch(logPlatform, logPlatform.TemporaryDirectory() + u"halvorn-flush-bench");
    std::vector<double> durable;
    std::vector<double> cached;
    for (int round = 0; round < 5 * 100; ++round) {
        durable.push_back(TimeSeconds([&] { scratch.AppendToBackup("", tree); }));
        cached.push_back(TimeSeconds([&] { scratch.AppendToLog(tree); }));
    }
    const double saving = Median(withBackup);
    const double deleting = Median(withoutBackup);
    const double flushPerTree = Median(durable) - Median(cached);
    std::printf("repair deleting 100 trees of 11 keys: %.1f ms saving each to the backup first (%.0f bytes a "
                "tree), %.1f ms with /NoBackup\n", saving * 1000, treeBytes, deleting * 1000);
    std::printf("saving: %.2f ms a tree, of which %.2f ms having it on the disk before its deletion\n",
                (saving - deleting) * 10, flushPerTree * 1000);

    for (const std::u16string& path : {log.Path(), backup.Path(), scratch.LogPath(), scratch.BackupPath()}) {
        DeleteFileW(ToWide(path).c_str());
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kBenchSet);
    return 0;
}
