// Under Wine: the program's restore against Wine's own "reg import" of the same backup, each as a
// process of its own started on an absent tree, for the large tree of the backup benchmark (one
// tree) and for as many keys in 2,000 small trees (a log line each). The program's path is the
// argument.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/backup/backup_file.h"
#include "engine/repair/registry_cleaner.h"
#include "engine/registry/windows_registry.h"
#include "log/windows_handles.h"
#include "log/windows_backup_records.h"
#include "log/windows_log_platform.h"
#include "tests/bench/large_tree.h"
#include "tests/bench/numbered_name.h"
#include "tests/bench/wine/timing.h"
#include "log/windows_text.h"

namespace {

using namespace halvorn;
using bench::Median;
using bench::TimeSeconds;

constexpr char16_t kBenchSet[] = u"SYSTEM\\ControlSetRestoreBench";
constexpr char16_t kServices[] = u"SYSTEM\\ControlSetRestoreBench\\Services";
constexpr char16_t kService[] = u"SYSTEM\\ControlSetRestoreBench\\Services\\Service";

// Runs the command line as a process of its own, to its end.
void RunToEnd(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &started)) {
        const KernelHandle process(started.hProcess);
        const KernelHandle thread(started.hThread);
        WaitForSingleObject(process.get(), INFINITE);
    }
}

// The service without the trees below it: the key that held them stays, as after a repair.
void RemoveTrees() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ToWide(kService).c_str());
    HKEY service = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, ToWide(kService).c_str(), 0, nullptr, 0, KEY_READ, nullptr, &service, nullptr);
    RegCloseKey(service);
}

bool KeyExists(const std::u16string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ToWide(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Invalid trees of five keys each below the service, 2,000 of them: 10,000 keys.
void BuildSmallTrees(Registry& registry) {
    const OpenedKey service(registry, registry.LocalMachine(), kService, KeyOpening::CreateForWriting);
    for (int tree = 0; tree < 2000; ++tree) {
        const std::u16string root = bench::NumberedName(u"$%&'(Stale", tree);
        for (const std::u16string& below : {root, root + u"\\A", root + u"\\A\\B", root + u"\\C", root + u"\\D"}) {
            const OpenedKey key(registry, service.get(), below.c_str(), KeyOpening::CreateForWriting);
            registry.SetValue(key.get(), {u"Start", kRegDword, {3, 0, 0, 0}});
            registry.SetValue(key.get(), {u"Path", kRegSz, {'C', 0, ':', 0, 0, 0}});
        }
    }
}

void Measure(const char* what, long keys, void (*build)(Registry&), const std::u16string& lastKey,
             const std::wstring& program) {
    WindowsRegistry registry;
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ToWide(kBenchSet).c_str());
    build(registry);
    WindowsLogPlatform files;
    WindowsBackupRecords records;
    RepairLog log(files);
    // Under Wine only the record vouches for a backup: every file's owner is the Unix user's.
    log.Files().RecordBackupIn(&records);
    BackupFile backup(log.Files());
    RegistryCleaner cleaner(registry, log, &backup);
    cleaner.WalkRoot(kServices, true);
    const std::wstring file = ToWide(backup.Path());

    bool allWritten = true;
    std::vector<double> restores;
    std::vector<double> imports;
    // Alternated, so that both see the same state of Wine's server.
    for (int round = 0; round < 5; ++round) {
        RemoveTrees();
        restores.push_back(TimeSeconds([&] { RunToEnd(L"\"" + program + L"\" /noui /Restore \"" + file + L"\""); }));
        allWritten = allWritten && KeyExists(lastKey);
        RemoveTrees();
        imports.push_back(TimeSeconds([&] { RunToEnd(L"reg.exe import \"" + file + L"\""); }));
        allWritten = allWritten && KeyExists(lastKey);
    }

    const double restore = Median(restores);
    const double import = Median(imports);
    WIN32_FILE_ATTRIBUTE_DATA facts{};
    GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &facts);
    std::printf("%s: %ld keys, %.1f MiB\n", what, keys, facts.nFileSizeLow / (1024.0 * 1024.0));
    std::printf("  HalvornRepair.exe /noui /Restore: %6.0f ms (%.0f keys/s)\n", restore * 1000, keys / restore);
    std::printf("  reg import:                       %6.0f ms (%.0f keys/s)\n", import * 1000, keys / import);
    std::printf("  restore / reg import: %.2f%s\n", restore / import, allWritten ? "" : " (A RUN LEFT THE TREE UNWRITTEN)");

    DeleteFileW(file.c_str());
    DeleteFileW(ToWide(log.Path()).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvorn_restore_benchmark.exe 'Z:\\path\\to\\HalvornRepair.exe'\n");
        return 2;
    }
    const std::u16string largeTree = std::u16string(kService) + u"\\$%&'(Stale";
    Measure("one large tree", 11021, [](Registry& registry) { bench::BuildLargeTree(registry, std::u16string(kService) + u"\\$%&'(Stale"); },
            largeTree + u"\\Group19\\Device49\\Entry9", argv[1]);
    Measure("2,000 small trees", 10000, BuildSmallTrees,
            std::u16string(kService) + u"\\" + bench::NumberedName(u"$%&'(Stale", 1999) + u"\\D", argv[1]);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ToWide(kBenchSet).c_str());
    return 0;
}
