#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "log/security_id.h"

namespace halvorn {

// Which file a handle reaches, whatever name led to it: the same while the file exists.
struct FileIdentity {
    std::uint32_t volumeSerial = 0;
    std::uint64_t fileIndex = 0;

    bool operator==(const FileIdentity&) const = default;
};

// What a file that already holds one of the run's names turned out to be, read through the handle
// that would write to it (never looked up by name first, which another account could change
// between the look and the write).
struct ExistingFile {
    bool diskFile = false;      // not a pipe, a console or another device
    bool directory = false;
    bool reparsePoint = false;  // a symbolic link, a junction or another redirection, opened as itself
    std::uint32_t linkCount = 0;
    SecurityId owner;           // empty when it could not be read
    FileIdentity identity{};
};

// Who besides its owner may change a file, from its access list: the identities that an allowing
// entry grants the right to write its data, its access list or its owner.
struct FileWriters {
    bool anyone = false;  // no access list at all, or an entry that cannot be read as one identity
    std::vector<SecurityId> identities;
};

// Why the file cannot only have come from this program, or empty when it can: an earlier run in
// the same second, by this account or by another that administers the machine. Any other account
// can create files in a shared temporary folder under a name it predicts, or link a name there to
// a file of its choosing; a run must then neither append to that file nor write through that link.
std::u16string_view WhyNotFromThisProgram(const ExistingFile& file, const SecurityId& runningAccount);

inline bool MayAppendTo(const ExistingFile& file, const SecurityId& runningAccount) {
    return WhyNotFromThisProgram(file, runningAccount).empty();
}

// Why a backup may not be restored from, or empty when it may: what MayAppendTo asks, and nobody
// but this account, the system account and Administrators may change it. Restoring writes what the
// file says into HKLM as an administrator.
std::u16string_view WhyNotToRestoreFrom(const ExistingFile& file, const FileWriters& writers,
                                        const SecurityId& runningAccount);

// The file that the run's first write under one of its names found or made there; empty before.
using WrittenFile = std::optional<ExistingFile>;

// The same rule for a name where the run may have written already. After its first write the run
// knows its file by its identity, not by its owner, since a volume without persistent access lists
// (FAT32, exFAT, some RAM disks, a share that maps owners) shows none, or Everyone: it appends only
// to that same file, still plain and of one link, whose owner is the one it had then or a trusted one.
bool MayAppendTo(const ExistingFile& file, const WrittenFile& written, const SecurityId& runningAccount);

}  // namespace halvorn
