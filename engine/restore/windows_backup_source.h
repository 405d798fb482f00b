#pragma once

#include <string>
#include <utility>

#include "engine/restore/backup_source.h"

namespace halvorn {

// The backups on the disk, through KERNEL32 and ADVAPI32.
class WindowsBackupSource final : public BackupSource {
public:
    // runDirectory: where this run writes its files, the temporary folder or the one that the
    // command line chose, with its trailing separator.
    explicit WindowsBackupSource(std::u16string runDirectory) : m_runDirectory(std::move(runDirectory)) {}

    std::u16string RunDirectory() override { return m_runDirectory; }
    std::vector<std::u16string> BackupNames(const std::u16string& directory) override;
    BackupRead Read(const std::u16string& path) override;

private:
    std::u16string m_runDirectory;
};

}  // namespace halvorn
