#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "engine/restore/backup_source.h"
#include "log/backup_records.h"
#include "log/log_platform.h"

namespace halvorn::testing {

// Files kept in memory, judged by the program's own trust rule, a clock that shows what the test
// sets, and opens that can be made to fail. A restore reads its backups from the same files, and
// the record of the backups is kept beside them.
class MemoryLogPlatform final : public LogPlatform, public BackupSource, public BackupRecords {
public:
    std::u16string temporaryDirectory = u"C:\\Temp\\";
    LocalTime now{2026, 12, 1, 7, 9, 5, 3};  // Monday, 7 December 2026, 09:05:03
    // The next this many appends fail as an open would.
    int failingAppends = 0;
    // Whole appends that succeed before every further one fails, as on a full disk; -1 for all.
    int wholeAppendsLeft = -1;
    std::map<std::u16string, std::string> files;
    // Every whole append to a file in this directory fails, when it is set.
    std::u16string failingDirectory;
    // Files that another account owns, put there or taken over.
    std::set<std::u16string> plantedFiles;
    // A volume without persistent access lists: no file shows its owner.
    bool ownersUnreadable = false;
    // How many opens of a file still find another process holding it without sharing.
    std::map<std::u16string, int> filesInUse;
    // Reading a backup finds too little memory, as a 32-bit process can.
    bool readsRunOutOfMemory = false;
    int appendCalls = 0;
    std::uint32_t pausedMilliseconds = 0;
    std::map<std::u16string, Sha256Digest> records;

    std::u16string TemporaryDirectory() override { return temporaryDirectory; }
    LocalTime Now() override { return now; }
    NameHolder WhatHolds(const std::u16string& path) override;
    AppendResult AppendToFile(const std::u16string& path, std::string_view bytes, WrittenFile& written) override;
    AppendResult AppendWhole(const std::u16string& path, std::string_view newFileStart, std::string_view bytes,
                             WrittenFile& written, Sha256& content,
                             const std::optional<Sha256Digest>& recorded) override;
    void Pause(std::uint32_t milliseconds) override { pausedMilliseconds += milliseconds; }

    std::u16string RunDirectory() override { return temporaryDirectory; }
    std::vector<std::u16string> BackupNames(const std::u16string& directory) override;
    BackupRead Read(const std::u16string& path) override;

    std::optional<Sha256Digest> Find(const std::u16string& path) override;
    std::vector<std::u16string> Paths() override;
    bool Record(const std::u16string& path, const Sha256Digest& digest) override;
    void PruneGone() override;

    // Records the file at path as it is now, as the run that wrote it would have.
    void RecordAsItIs(const std::u16string& path);

    // The bytes of the only file written, or empty when there is none.
    std::string OnlyFile() const;

private:
    bool Exists(const std::u16string& path) const { return files.contains(path) || plantedFiles.contains(path); }
    // What a handle to the file at path shows.
    ExistingFile Describe(const std::u16string& path);
    // Creates the file, or judges the one that is there, as the Windows platform's opens do.
    AppendResult Open(const std::u16string& path, WrittenFile& written);
};

}  // namespace halvorn::testing
