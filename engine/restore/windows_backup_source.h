#pragma once

#include "engine/restore/backup_source.h"

namespace halvorn {

// The backups on the disk, through KERNEL32 and ADVAPI32.
class WindowsBackupSource final : public BackupSource {
public:
    std::u16string RunDirectory() override;
    std::vector<std::u16string> BackupNames(const std::u16string& directory) override;
    BackupRead Read(const std::u16string& path) override;
};

}  // namespace halvorn
