#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "log/file_trust.h"

namespace halvorn {

// What became of reading a backup.
enum class BackupReading {
    Read,
    Untrusted,   // it need not hold what a run wrote (WhyNotToRestoreFrom): not to be restored
    Unreadable,  // it is not on a local drive, does not exist, cannot be opened or read, or is too
                 // large for a backup
};

struct BackupRead {
    BackupReading outcome = BackupReading::Unreadable;
    std::string bytes;         // with Read: the whole file
    std::u16string_view why;   // otherwise: what was wrong with it
    // With Read: what the handle that read the bytes showed of the file, for judging it.
    ExistingFile file{};
    FileWriters writers{};
};

// What a restore needs of the file system: the backups where this account's runs write, and the
// bytes of one with what the handle that read them showed of its file.
class BackupSource {
public:
    virtual ~BackupSource() = default;

    // The folder where this account's runs write their logs and backups, with its trailing
    // separator; empty when it is unknown.
    virtual std::u16string RunDirectory() = 0;

    // The names of the files in directory whose names begin with "Brimwell" and end in ".reg".
    virtual std::vector<std::u16string> BackupNames(const std::u16string& directory) = 0;

    // The whole file at path, described and read through one handle that keeps other writers out.
    // A path that DriveOfPath refuses, or whose drive is on another computer, is not opened.
    virtual BackupRead Read(const std::u16string& path) = 0;
};

}  // namespace halvorn
