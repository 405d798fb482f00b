// Under Wine: the program's restore of the large tree of the backup benchmark, against Wine's own
// "reg import" of the same backup, each as a process of its own started on an absent tree. The
// program's path is the argument.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/backup_file.h"
#include "engine/registry_cleaner.h"
#include "engine/windows_registry.h"
#include "log/kernel_handle.h"
#include "log/windows_log_platform.h"
#include "tests/bench/large_tree.h"
#include "tests/bench/wine/timing.h"

namespace {

using namespace halvorn;
using bench::Median;
using bench::TimeSeconds;

constexpr char16_t kServices[] = u"SYSTEM\\ControlSetRestoreBench\\Services";
constexpr char16_t kInvalidKey[] = u"SYSTEM\\ControlSetRestoreBench\\Services\\Service\\$%&'(Stale";

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvorn_restore_benchmark.exe 'Z:\\path\\to\\HalvornRepair.exe'\n");
        return 2;
    }
    const std::wstring program = argv[1];
    WindowsRegistry registry;
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(u"SYSTEM\\ControlSetRestoreBench").c_str());
    const long keys = bench::BuildLargeTree(registry, kInvalidKey);

    WindowsLogPlatform files;
    RepairLog log(files);
    BackupFile backup(log.Files());
    RegistryCleaner cleaner(registry, log, &backup);
    cleaner.WalkRoot(kServices, true);
    const std::wstring file = Wide(backup.Path());

    // The last key of the tree: a process that wrote it has written the tree.
    const std::wstring lastKey = Wide(kInvalidKey) + L"\\Group19\\Device49\\Entry9";
    const auto wroteTree = [&lastKey] {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, lastKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    };
    bool allWritten = true;
    std::vector<double> restores;
    std::vector<double> imports;
    // Alternated, so that both see the same state of Wine's server.
    for (int round = 0; round < 5; ++round) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(kInvalidKey).c_str());
        restores.push_back(TimeSeconds([&] { RunToEnd(L"\"" + program + L"\" /noui /Restore \"" + file + L"\""); }));
        allWritten = allWritten && wroteTree();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(kInvalidKey).c_str());
        imports.push_back(TimeSeconds([&] { RunToEnd(L"reg.exe import \"" + file + L"\""); }));
        allWritten = allWritten && wroteTree();
    }
    WIN32_FILE_ATTRIBUTE_DATA backupFile{};
    GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &backupFile);
    const double restore = Median(restores);
    const double import = Median(imports);
    std::printf("backup of %ld keys, %.1f MiB\n", keys, backupFile.nFileSizeLow / (1024.0 * 1024.0));
    std::printf("HalvornRepair.exe /noui /Restore: %.0f ms (%.0f keys/s)\n", restore * 1000, keys / restore);
    std::printf("reg import:                       %.0f ms (%.0f keys/s)\n", import * 1000, keys / import);
    std::printf("restore / reg import: %.2f%s\n", restore / import, allWritten ? "" : " (A RUN LEFT THE TREE UNWRITTEN)");

    DeleteFileW(file.c_str());
    DeleteFileW(Wide(log.Path()).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(u"SYSTEM\\ControlSetRestoreBench").c_str());
    return 0;
}
