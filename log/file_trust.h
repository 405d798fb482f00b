#pragma once

#include <cstdint>
#include <optional>
#include <string>
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

// Whether an access mask grants a right to change what a file holds or who may: to write or add
// to its data (in a folder: to add a file or a folder), to rename or delete it (which lets another
// file take its name), in a folder to delete what it holds, to change its access list or its owner,
// or a generic right that includes one of them.
bool GrantsChange(std::uint32_t accessMask);

// Who besides its owner may change a file, from its access list: the identities that an allowing
// entry grants a right that GrantsChange counts.
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

// Why the file is not a plain disk file, or empty when it is: a pipe, a device or a folder, or a
// link opened as itself.
std::u16string_view WhyNotAPlainFile(const ExistingFile& file);

// Why a folder that the administrator named for the run's files may not take them, or empty when
// it may: a folder, not a link, on a local fixed disk, owned by and writable only by the system
// account, Administrators, TrustedInstaller and the running account. Anyone else who could add,
// rename or delete a file there could plant a name that the run would take or redirect.
std::u16string_view WhyNotALogFolder(const ExistingFile& folder, const FileWriters& writers, bool localFixedDisk,
                                     const SecurityId& runningAccount);

// Why a file that holds the name of a file that the run writes whole, its result, may not be
// replaced by it, or empty when it may: a plain file of one name, which only the system account,
// Administrators, TrustedInstaller and the running account own and may change. Another account's
// file there is one that it expects to read, and so to have the run write for it.
std::u16string_view WhyNotToReplace(const ExistingFile& file, const FileWriters& writers,
                                    const SecurityId& runningAccount);

// What the record of a backup's run says of the bytes read from the file.
enum class RecordedBytes {
    NoRecord,
    Match,   // they are the bytes that its run wrote
    Differ,  // they are not
};

// Why a backup may not be restored from, or empty when it may. Restoring writes what the file says
// into HKLM as an administrator, so the file must hold what a run wrote: a plain disk file, not a
// link, whose record matches its bytes, whoever owns it now. Without a record it must be of one
// link, and its owner and everyone who may change it must be the system account, Administrators or
// TrustedInstaller: never one person's account, not even the running one, which the unelevated
// processes of an administrator share.
std::u16string_view WhyNotToRestoreFrom(const ExistingFile& file, const FileWriters& writers, RecordedBytes record);

// The root of the drive ("C:\") that a full path on a drive lies on, also in the form "\\?\C:\";
// otherwise, empty with the reason why a restore opens no such path: a share on another computer
// (whose server would learn the machine's credentials), a device or a pipe (whose server could
// act as the system account), or a path that depends on the current folder.
struct PathDrive {
    std::u16string root;
    std::u16string_view whyNot;
};
PathDrive DriveOfPath(std::u16string_view path);

inline constexpr std::u16string_view kOnAnotherComputer = u"it is on another computer";

// The file that the run's first write under one of its names found or made there; empty before.
using WrittenFile = std::optional<ExistingFile>;

// The same rule for a name where the run may have written already. After its first write the run
// knows its file by its identity, not by its owner, since a volume without persistent access lists
// (FAT32, exFAT, some RAM disks, a share that maps owners) shows none, or Everyone: it appends only
// to that same file, still plain and of one link, whose owner is the one it had then or a trusted one.
bool MayAppendTo(const ExistingFile& file, const WrittenFile& written, const SecurityId& runningAccount);

}  // namespace halvorn
