// One machine for the tests of the backup and of the restore: its in-memory registry and files, and
// a cleaner that saves each tree beside the log before deleting it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/restore/backup_restore.h"
#include "engine/backup/reg_file_format.h"
#include "engine/repair/registry_cleaner.h"
#include "engine/options/run_options.h"
#include "engine/repair/target_services.h"
#include "tests/support/log_lines.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/support/utf16_text.h"
namespace halvorn {


using namespace std::string_literals;
using namespace std::string_view_literals;
using testing::DecodeUtf16Le;
using testing::JoinLines;
using testing::LinesAfterHeader;
using testing::MemoryLogPlatform;
using testing::MemoryRegistry;
using testing::SectionLines;
using testing::SummaryLines;
using Lines = testing::LogLines;
using Paths = std::vector<std::u16string>;

inline const std::u16string kService = u"SYSTEM\\ControlSet001\\Services\\" + std::u16string(TargetServiceTable[0]);
inline const std::u16string kDevice = u"SYSTEM\\ControlSet001\\Enum\\" + std::u16string(TargetServiceTable[1]);
inline const std::string kServiceName(TargetServiceTable[0].begin(), TargetServiceTable[0].end());
inline constexpr char16_t kBackupPath[] = u"C:\\Temp\\Brimwell12-7-2026 9h5m3s.reg";
inline constexpr char kFileStart[] = "\xFF\xFE";  // UTF-16LE byte-order mark

inline RegistryValue Dword(std::u16string name, std::uint8_t low) { return {std::move(name), kRegDword, {low, 0, 0, 0}}; }

inline RegistryValue Text(std::u16string name, std::u16string_view text) {
    return {std::move(name), kRegSz, testing::Utf16Bytes(std::u16string(text) + u'\0')};
}

// One machine: its registry, its files, and a cleaner that saves to the backup beside the log.
class BackupRun : public ::testing::Test {
protected:
    // The run records its backup, as the program's runs do.
    BackupRun() { log.Files().RecordBackupIn(&files); }

    void TearDown() override { EXPECT_EQ(registry.OpenHandleCount(), 0u) << "a key handle leaked"; }

    void Add(const std::u16string& path) { registry.CreateKey(path); }

    // Three invalid trees: one with values at two levels, a plain one, and one under Enum.
    void SeedThreeTrees() {
        registry.SetValue(kService + u"\\$%&'(a", Text(u"", u"default"));
        registry.SetValue(kService + u"\\$%&'(a", Dword(u"Start", 2));
        registry.SetValue(kService + u"\\$%&'(a\\Sub", {u"Blob", kRegBinary, {0xde, 0xad}});
        Add(kService + u"\\$%&'(b");
        Add(kService + u"\\Parameters");
        registry.SetValue(kDevice + u"\\0000\\$%&'(e", Text(u"Name", u"x\"y"));
    }

    static std::u16string TreeA() {
        return u"\r\n[HKEY_LOCAL_MACHINE\\" + kService + u"\\$%&'(a]\r\n"
               u"@=\"default\"\r\n\"Start\"=dword:00000002\r\n"
               u"\r\n[HKEY_LOCAL_MACHINE\\" + kService + u"\\$%&'(a\\Sub]\r\n"
               u"\"Blob\"=hex:de,ad\r\n"
               u"\r\n";
    }
    static std::u16string TreeB() { return u"\r\n[HKEY_LOCAL_MACHINE\\" + kService + u"\\$%&'(b]\r\n\r\n"; }
    static std::u16string TreeE() {
        return u"\r\n[HKEY_LOCAL_MACHINE\\" + kDevice + u"\\0000\\$%&'(e]\r\n\"Name\"=\"x\\\"y\"\r\n\r\n";
    }

    // Trees of random shape below the target services, with values of every type, names with the
    // characters that the file escapes, and data of every length.
    void SeedRandomTrees(std::uint32_t seed, int trees) {
        std::mt19937 random(seed);
        const auto pick = [&random](std::size_t count) { return static_cast<std::size_t>(random() % count); };
        const std::u16string letters = u"aZ09 \"[]=@-,:;%\u00e9\u4e2d";
        const auto name = [&](std::size_t longest) {
            std::u16string text;
            for (std::size_t length = pick(longest); length > 0; --length) {
                text += letters[pick(letters.size())];
            }
            return text;
        };
        constexpr std::uint32_t kTypes[] = {kRegNone, kRegSz, kRegExpandSz, kRegBinary, kRegDword, kRegMultiSz, kRegQword, 0x12345};
        constexpr const char16_t* kRoots[] = {u"\\Services\\", u"\\Enum\\", u"\\Control\\"};
        for (int tree = 0; tree < trees; ++tree) {
            std::u16string path = u"SYSTEM\\ControlSet001" + std::u16string(kRoots[pick(3)]) +
                                  std::u16string(TargetServiceTable[pick(TargetServiceTable.size())]) + u"\\$%&'(" + name(8);
            for (std::size_t key = 0, keys = 1 + pick(4); key < keys; ++key) {
                for (std::size_t value = 0, values = pick(4); value < values; ++value) {
                    std::vector<std::uint8_t> data(pick(120));
                    for (std::uint8_t& byte : data) {
                        byte = static_cast<std::uint8_t>(random());
                    }
                    registry.SetValue(path, {name(10) + u"\\" + name(3), kTypes[pick(std::size(kTypes))], data});
                }
                Add(path);
                path += u"\\" + name(6) + u"x";
            }
        }
    }

    // Every key below SYSTEM with its values.
    std::vector<std::pair<std::u16string, std::vector<RegistryValue>>> Contents() const {
        std::vector<std::pair<std::u16string, std::vector<RegistryValue>>> contents;
        for (const std::u16string& path : registry.ListTree(u"SYSTEM")) {
            contents.emplace_back(path, registry.Values(u"SYSTEM\\" + path));
        }
        return contents;
    }

    // A restore started a second after the repair, so that its log has a name of its own.
    RestoreResult Restore(std::u16string_view commandLine) {
        ++files.now.second;
        RepairLog restoreLog(files);
        BackupRestore restore(registry, restoreLog, files, files);
        const RestoreResult result = restore.Run(ReadRunOptions(commandLine));
        restoreLines = LinesAfterHeader(files.files.at(restoreLog.Path()));
        restoredTrees = restore.Trees();
        return result;
    }

    bool HasBackup() const { return files.files.contains(kBackupPath); }

    // The backup's text after its byte-order mark and header line.
    std::u16string BackupTrees() const {
        const std::string& bytes = files.files.at(kBackupPath);
        EXPECT_EQ(bytes.substr(0, 2), kFileStart);
        const std::u16string text = DecodeUtf16Le(std::string_view(bytes).substr(2));
        constexpr std::u16string_view kHeader = u"Windows Registry Editor Version 5.00\r\n";
        EXPECT_EQ(text.substr(0, kHeader.size()), kHeader);
        return text.substr(kHeader.size());
    }

    Lines LogLines() const { return LinesAfterHeader(files.files.at(log.Path())); }

    static Lines RunLines(const Lines& servicesLines, const Lines& enumLines, int found, int deleted) {
        return JoinLines({SectionLines("ControlSet001", "Services"), servicesLines,
                          SectionLines("ControlSet001", "Enum"), enumLines,
                          SectionLines("ControlSet001", "Control"), SummaryLines(found, deleted)});
    }

    MemoryRegistry registry;
    MemoryLogPlatform files;
    RepairLog log{files};
    BackupFile backup{log.Files()};
    RegistryCleaner cleaner{registry, log, &backup};
    Lines restoreLines;
    std::vector<RestoredTree> restoredTrees;  // of the last restore
};

}  // namespace halvorn
