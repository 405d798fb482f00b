#pragma once

#include <map>
#include <set>
#include <string>

#include "engine/backup_source.h"
#include "log/log_platform.h"

namespace halvorn::testing {

// Files kept in memory, a clock that shows what the test sets, and opens that can be made to fail.
// A restore reads its backups from the same files.
class MemoryLogPlatform final : public LogPlatform, public BackupSource {
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
    // Files that another account put there: never written.
    std::set<std::u16string> plantedFiles;
    int appendCalls = 0;

    std::u16string TemporaryDirectory() override { return temporaryDirectory; }
    LocalTime Now() override { return now; }
    bool IsFreeOrTrusted(const std::u16string& path) override { return !plantedFiles.contains(path); }
    AppendResult AppendToFile(const std::u16string& path, std::string_view bytes) override;
    AppendResult AppendWhole(const std::u16string& path, std::string_view newFileStart,
                             std::string_view bytes) override;

    std::u16string RunDirectory() override { return temporaryDirectory; }
    std::vector<std::u16string> BackupNames(const std::u16string& directory) override;
    // A planted file is untrusted.
    BackupRead Read(const std::u16string& path) override;

    // The bytes of the only file written, or empty when there is none.
    std::string OnlyFile() const;
};

}  // namespace halvorn::testing
