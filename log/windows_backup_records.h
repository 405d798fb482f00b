#pragma once

#include <windows.h>

#include "log/backup_records.h"
#include "log/windows_handles.h"

namespace halvorn {

// The record in HKLM\SOFTWARE\Halvorn\RegistryRepair\Backups, always through the registry's 64-bit
// view, so that the 32-bit and the 64-bit program share one record: a REG_BINARY value of the 32
// bytes of the digest, named after the backup's path. The key is owned by Administrators and lets
// the system account and Administrators change it, and users read it.
class WindowsBackupRecords final : public BackupRecords {
public:
    std::optional<Sha256Digest> Find(const std::u16string& path) override;
    std::vector<std::u16string> Paths() override;
    bool Record(const std::u16string& path, const Sha256Digest& digest) override;
    void PruneGone() override;

private:
    // The key to write, created where it is missing, with its owner and access list set; null when
    // either cannot be.
    HKEY Writable();

    RegistryHandle m_writable;
};

}  // namespace halvorn
