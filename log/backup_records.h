#pragma once

#include <optional>
#include <string>
#include <vector>

#include "log/sha256.h"

namespace halvorn {

// The record of the backups that runs wrote, where only administrators may write: under each
// backup's full path, the SHA-256 of the whole file as its run last left it. A backup whose bytes
// match its record holds what its run wrote, whoever owns the file or may write it now.
class BackupRecords {
public:
    virtual ~BackupRecords() = default;

    // What is recorded for the backup at path, compared as Windows compares file names; nothing
    // without a record.
    virtual std::optional<Sha256Digest> Find(const std::u16string& path) = 0;

    // The path of every backup recorded.
    virtual std::vector<std::u16string> Paths() = 0;

    // Records digest for the backup at path, in place of what was recorded for it. False when
    // nothing could be recorded.
    virtual bool Record(const std::u16string& path, const Sha256Digest& digest) = 0;

    // Removes the records of backups that are gone, and of paths that a restore does not open
    // (DriveOfPath), so that the record keeps to the backups that exist.
    virtual void PruneGone() = 0;
};

}  // namespace halvorn
