// The backup against Wine's real registry, with Wine's own reg.exe as the reference: the backup
// holds what "reg export" writes for the deleted trees, and both the program's own restore and
// "reg import" of it put them back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/backup/reg_file_format.h"
#include "engine/repair/registry_cleaner.h"
#include "engine/registry/windows_registry.h"
#include "log/windows_backup_records.h"
#include "log/windows_log_platform.h"
#include "tests/support/utf16_text.h"
#include "tests/wine/support/child_process.h"
#include "tests/wine/support/program_process.h"
#include "tests/wine/support/registry_snapshot.h"
#include "tests/wine/support/scratch_key.h"
#include "tests/wine/support/wine_support.h"
#include "log/windows_text.h"

namespace halvorn {
namespace {

using namespace std::string_view_literals;
using testing::DecodeUtf16Le;
using testing::ProgramPath;
using testing::RunProcess;
using testing::KeyExists;
using testing::ReadFile;
using testing::RunReg;
using testing::ScratchKey;
using testing::ScratchLink;
using testing::SnapshotTree;
using testing::TemporaryDirectory;
using testing::Utf16Bytes;
using testing::WriteWholeFile;

constexpr char kByteOrderMark[] = "\xFF\xFE";

std::vector<std::uint8_t> Counting(int count) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(i * 7));
    }
    return bytes;
}

// A file's text after its byte-order mark and the export header line, which it must start with.
std::u16string TextAfterHeader(const std::string& bytes) {
    const std::string start = kByteOrderMark + EncodeUtf16Le(kRegFileHeader);
    EXPECT_EQ(bytes.substr(0, start.size()), start);
    return DecodeUtf16Le(std::string_view(bytes).substr(std::min(start.size(), bytes.size())));
}

class BackupOnWine : public ::testing::Test {
protected:
    // Files and records that other tests left would be earlier runs' to this one.
    void SetUp() override { testing::DeleteRunFiles(); }

    void TearDown() override {
        DeleteFileW(m_logPath.c_str());
        DeleteFileW(m_backupPath.c_str());
        testing::DeleteRunFiles();  // the logs of the program's restores
    }

    // Sets a value of the key below the service to exactly its bytes, creating the key.
    void Set(const std::wstring& below, const RegistryValue& value) {
        EXPECT_TRUE(guard.SetExactly(below, ToWide(value.name), value.type, value.data));
    }

    // What "reg export" writes for the key at path below the service, after its header line.
    std::u16string Exported(const std::wstring& below) const {
        const std::wstring file = TemporaryDirectory() + L"halvorn-reference-export.reg";
        EXPECT_EQ(RunReg(L"export \"HKLM\\" + kGuard + L"\\" + below + L"\" \"" + file + L"\" /y"), 0u);
        const std::string bytes = ReadFile(file);
        DeleteFileW(file.c_str());
        return TextAfterHeader(bytes);
    }

    // A repair run with the backup beside its log, and its record, as the program makes them.
    void RunRepair(const char16_t* commandLine) {
        WindowsRegistry registry;
        WindowsLogPlatform files;
        WindowsBackupRecords records;
        RepairLog log(files);
        log.Files().RecordBackupIn(&records);
        BackupFile backup(log.Files());
        RegistryCleaner cleaner(registry, log, &backup);
        cleaner.Run(commandLine);
        invalidCount = cleaner.invalidCount;
        deletedCount = cleaner.deletedCount;
        m_logPath = ToWide(log.Path());
        m_backupPath = ToWide(backup.Path());
    }

    const std::wstring& BackupPath() const { return m_backupPath; }
    std::string BackupBytes() const { return ReadFile(m_backupPath); }
    DWORD ImportBackup() const { return RunReg(L"import \"" + m_backupPath + L"\""); }
    bool ChangeBackup(const std::string& bytes) const { return WriteWholeFile(m_backupPath, bytes); }
    // The program's restore of the backup; its exit code.
    DWORD RestoreBackup(const std::wstring& options) const { return Restore(L"\"" + m_backupPath + L"\" " + options); }
    // The program's restore with the options after "/Restore"; its exit code.
    static DWORD Restore(const std::wstring& options) {
        return RunProcess(L"\"" + ProgramPath() + L"\" /noui /ExitCode /Restore " + options);
    }
    // The lines of the log of the program's restore with those options, which must end with code.
    static std::vector<std::string> RestoreLog(const std::wstring& options, DWORD code) {
        for (const std::wstring& name : testing::LogFiles()) {
            DeleteFileW((TemporaryDirectory() + name).c_str());
        }
        EXPECT_EQ(Restore(options), code);
        return testing::OnlyLogLines();
    }

    const std::wstring kGuard = L"SYSTEM\\CurrentControlSet\\Services\\HalvornGuard";
    const std::wstring kVictim = L"SYSTEM\\CurrentControlSet\\Services\\HalvornWineVictim";
    ScratchKey guard{kGuard};
    std::int32_t invalidCount = 0;
    std::int32_t deletedCount = 0;

private:
    std::wstring m_logPath;
    std::wstring m_backupPath;
};

TEST_F(BackupOnWine, TheBackupIsWhatRegExportWritesAndTheProgramsRestorePutsTheTreesBack) {
    const std::wstring first = L"$%&'(a]b c";
    Set(first, {u"", kRegSz, Utf16Bytes(u"default \"quoted\" C:\\path\0"sv)});
    Set(first, {u"quotes \"and\" back\\slashes", kRegSz,
                Utf16Bytes(u"\"\\\\server\\share\" \u00e9\u00df \u4e2d\u6587 \U0001F600\U00010348\0"sv)});
    Set(first, {u"empty", kRegSz, Utf16Bytes(u"\0"sv)});
    Set(first, {u"expand", kRegExpandSz, Utf16Bytes(u"%SystemRoot%\\system32\0"sv)});
    Set(first, {u"multi", kRegMultiSz, Utf16Bytes(u"one\0two \u00e9\0\0"sv)});
    Set(first, {u"binary", kRegBinary, Counting(300)});
    Set(first, {u"binary empty", kRegBinary, {}});
    Set(first, {u"dword", kRegDword, {0x78, 0x56, 0x34, 0x12}});
    Set(first, {u"qword", kRegQword, Counting(8)});
    Set(first, {u"none", kRegNone, Counting(3)});
    Set(first, {u"none empty", kRegNone, {}});
    Set(first, {u"unusual type", 0x12345, Counting(40)});
    Set(first, {std::u16string(300, u'L'), kRegBinary, Counting(50)});
    Set(first + L"\\Sub key ] here", {u"", kRegDword, {1, 0, 0, 0}});
    Set(first + L"\\Sub key ] here\\" + std::wstring(200, L'k'), {u"deep", kRegSz, Utf16Bytes(u"x\0"sv)});
    ASSERT_TRUE(guard.Create(first + L"\\Empty"));
    const std::wstring second = L"Parameters\\$%&'(second";
    Set(second, {u"", kRegSz, Utf16Bytes(u"only the default\0"sv)});
    Set(L"Parameters", {u"Kept", kRegDword, {2, 0, 0, 0}});
    // No key line can carry this name, so its tree stays.
    const std::wstring unsavable = L"Parameters\\$%&'(kept\\line\nbreak";
    Set(unsavable, {u"inner", kRegSz, Utf16Bytes(u"stays\0"sv)});
    // Links into another service, which the repair may not touch: one with an invalid name, one on
    // the way down to invalid keys.
    const ScratchKey victim{kVictim};
    ASSERT_TRUE(victim.Create(L"$%&'(v\\below") && victim.Create(L"Sub\\$%&'(w"));
    const ScratchLink invalidLink(kGuard + L"\\$%&'(lnk", kVictim);
    const ScratchLink wayDown(kGuard + L"\\Linked", kVictim);
    ASSERT_TRUE(invalidLink && wayDown);
    const std::vector<testing::KeySnapshot> victimTree = SnapshotTree(kVictim);

    const std::vector<testing::KeySnapshot> before = SnapshotTree(kGuard);
    const std::u16string exports = Exported(first) + Exported(second);
    RunRepair(u"");

    EXPECT_EQ(SnapshotTree(kVictim), victimTree);
    EXPECT_EQ(invalidCount, 4);
    EXPECT_EQ(deletedCount, 2);
    EXPECT_TRUE(KeyExists(kGuard + L"\\" + unsavable));
    EXPECT_EQ(TextAfterHeader(BackupBytes()), exports);
    EXPECT_NE(SnapshotTree(kGuard), before);
    EXPECT_EQ(RestoreBackup(L""), 0u);
    EXPECT_EQ(SnapshotTree(kGuard), before);
    // A second restore, of the newest backup found, changes nothing.
    EXPECT_EQ(RunProcess(L"\"" + ProgramPath() + L"\" /noui /Restore /ExitCode"), 0u);
    EXPECT_EQ(SnapshotTree(kGuard), before);

    // A file named "/Report" is refused whole.
    RunRepair(u"");
    const std::vector<testing::KeySnapshot> repaired = SnapshotTree(kGuard);
    EXPECT_EQ(RestoreBackup(L"/Report"), 1603u);
    EXPECT_EQ(SnapshotTree(kGuard), repaired);

    // The key that held the second tree swapped for a link: the first tree comes back, the second
    // nowhere.
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kGuard + L"\\Parameters").c_str()), ERROR_SUCCESS);
    const ScratchLink swapped(kGuard + L"\\Parameters", kVictim);
    ASSERT_TRUE(swapped);
    EXPECT_EQ(RestoreBackup(L""), 1603u);
    EXPECT_TRUE(KeyExists(kGuard + L"\\" + first));
    EXPECT_EQ(SnapshotTree(kVictim), victimTree);

    // A copy with one more tree under a newer name, and the backup changed so after its run, are
    // refused whole. Wine shows every file as the Unix user's, so only the record vouches for one.
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kGuard + L"\\" + first).c_str()), ERROR_SUCCESS);
    const std::vector<testing::KeySnapshot> unrestored = SnapshotTree(kGuard);
    const std::string oneMore =
        BackupBytes() + EncodeUtf16Le(u"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\HalvornGuard\\"
                                      u"$%&'(planted]\r\n\r\n");
    const std::wstring planted = TemporaryDirectory() + L"Brimwell12-31-2099 23h59m59s.reg";
    ASSERT_TRUE(WriteWholeFile(planted, oneMore));
    const std::string plantedPath(planted.begin(), planted.end()), backupPath(BackupPath().begin(), BackupPath().end());
    EXPECT_EQ(RestoreLog(L"\"" + planted + L"\"", 1603).at(3),
              "Restore refused: " + plantedPath + ", no run recorded it, and its owner is neither the system account, "
                                                  "Administrators nor TrustedInstaller. Nothing was written.");
    ASSERT_TRUE(ChangeBackup(oneMore));
    // Alone, it takes the newest recorded backup, the changed one: never the copy, nor an older one.
    const std::vector<std::string> newest = RestoreLog(L"", 1603);
    ASSERT_GE(newest.size(), 5u);
    EXPECT_EQ(newest[3], "Passed over, no run recorded it: " + plantedPath);
    EXPECT_EQ(newest[4],
              "Restore refused: " + backupPath + ", it was changed after its run wrote it. Nothing was written.");
    EXPECT_EQ(SnapshotTree(kGuard), unrestored);
    DeleteFileW(planted.c_str());
}

// reg export would write these so that an import changed their bytes; the backup must not.
TEST_F(BackupOnWine, DataThatQuotingWouldAlterComesBackExactly) {
    const std::wstring key = L"$%&'(odd";
    Set(key, {u"line break", kRegSz, Utf16Bytes(u"one\r\ntwo\0"sv)});
    Set(key, {u"no data", kRegSz, {}});
    Set(key, {u"inner nul", kRegSz, Utf16Bytes(u"a\0b\0"sv)});
    Set(key, {u"short dword", kRegDword, {1, 2}});
    Set(key, {u"long dword", kRegDword, Counting(5)});
    const std::vector<testing::KeySnapshot> before = SnapshotTree(kGuard);
    RunRepair(u"/noui");

    EXPECT_EQ(deletedCount, 1);
    EXPECT_EQ(ImportBackup(), 0u);
    EXPECT_EQ(SnapshotTree(kGuard), before);
}

// String data without its terminator, which RegSetValueExW would lengthen where the memory after
// it holds a NUL, comes back through the program's restore byte for byte.
TEST_F(BackupOnWine, StringsWithoutTheirTerminatorComeBackByteForByte) {
    for (const std::uint32_t type : {kRegSz, kRegExpandSz, kRegMultiSz}) {
        for (const int size : {1, 2, 3, 50, 81}) {
            const std::string name = "type " + std::to_string(type) + ", " + std::to_string(size) + " bytes";
            Set(L"$%&'(unterminated", {std::u16string(name.begin(), name.end()), type,
                                       std::vector<std::uint8_t>(static_cast<std::size_t>(size), 0x66)});
        }
    }
    const std::vector<testing::KeySnapshot> before = SnapshotTree(kGuard);
    ASSERT_EQ(before.back().values.size(), 15u);
    RunRepair(u"/noui");

    EXPECT_EQ(deletedCount, 1);
    EXPECT_EQ(RestoreBackup(L""), 0u);
    EXPECT_EQ(SnapshotTree(kGuard), before);

    // The same where NULs follow the data in memory, which the backup's reader cannot arrange.
    WindowsRegistry registry;
    const OpenedKey key(registry, registry.LocalMachine(), FromWide(kGuard).c_str(),
                        KeyOpening::CreateForWriting);
    for (const std::uint32_t type : {kRegSz, kRegExpandSz, kRegMultiSz}) {
        RegistryValue value{u"followed by NULs", type, {0x66, 0x66, 0, 0}};
        value.data.resize(2);
        ASSERT_EQ(registry.SetValue(key.get(), value), kRegistrySuccess);
        EXPECT_EQ(SnapshotTree(kGuard).front().values.back().data.size(), 2u) << "type " << type;
    }
}

}  // namespace
}  // namespace halvorn
