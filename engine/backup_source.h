#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace halvorn {

// What became of reading a backup.
enum class BackupReading {
    Read,
    Untrusted,   // another account could have made or changed it: not read
    Unreadable,  // it does not exist, cannot be opened or read, or is too large for a backup
};

struct BackupRead {
    BackupReading outcome = BackupReading::Unreadable;
    std::string bytes;         // with Read: the whole file
    std::u16string_view why;   // otherwise: what was wrong with it
};

// What a restore needs of the file system: the backups where this account's runs write, read only
// when nobody but this account, the system account and Administrators can have made or changed them.
class BackupSource {
public:
    virtual ~BackupSource() = default;

    // The folder where this account's runs write their logs and backups, with its trailing
    // separator; empty when it is unknown.
    virtual std::u16string RunDirectory() = 0;

    // The names of the files in directory whose names begin with "Brimwell" and end in ".reg".
    virtual std::vector<std::u16string> BackupNames(const std::u16string& directory) = 0;

    // The whole file at path, judged and read through one handle that keeps other writers out.
    virtual BackupRead Read(const std::u16string& path) = 0;
};

}  // namespace halvorn
