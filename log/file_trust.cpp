#include "log/file_trust.h"

#include <algorithm>

namespace halvorn {

namespace {

// The owners of the run's own files that the append rule accepts.
bool IsTrustedAccount(const SecurityId& account, const SecurityId& runningAccount) {
    return !account.empty() &&
           (account == runningAccount || account == LocalSystemAccount() || account == AdministratorsAlias());
}

// The accounts that administer Windows itself, and no person's account.
bool IsAdministeringAccount(const SecurityId& account) {
    return account == LocalSystemAccount() || account == AdministratorsAlias() || account == TrustedInstallerService();
}

bool IsAdministeringOrRunning(const SecurityId& account, const SecurityId& runningAccount) {
    return IsAdministeringAccount(account) || (!account.empty() && account == runningAccount);
}

// Why an owner and the writers are not only those who administer Windows and the running account,
// or empty when they are; othersMay says it of the writers.
std::u16string_view WhyNotKeptByAdministrators(const SecurityId& owner, const FileWriters& writers,
                                               const SecurityId& runningAccount, std::u16string_view othersMay) {
    if (!IsAdministeringOrRunning(owner, runningAccount)) {
        return u"its owner is neither the system account, Administrators, TrustedInstaller nor the running account";
    }
    const bool othersMayChange =
        writers.anyone ||
        !std::all_of(writers.identities.begin(), writers.identities.end(),
                     [&runningAccount](const SecurityId& id) { return IsAdministeringOrRunning(id, runningAccount); });
    return othersMayChange ? othersMay : std::u16string_view();
}

bool IsSeparator(char16_t ch) { return ch == u'\\' || ch == u'/'; }

bool IsLetter(char16_t ch, char16_t upper) { return ch == upper || ch == upper + (u'a' - u'A'); }

// "C:\" at the start of text.
bool StartsWithDriveRoot(std::u16string_view text) {
    return text.size() >= 3 && ((text[0] >= u'A' && text[0] <= u'Z') || (text[0] >= u'a' && text[0] <= u'z')) &&
           text[1] == u':' && IsSeparator(text[2]);
}

// "UNC" alone or before a separator, in any case.
bool StartsWithUncMark(std::u16string_view text) {
    return text.size() >= 3 && IsLetter(text[0], u'U') && IsLetter(text[1], u'N') && IsLetter(text[2], u'C') &&
           (text.size() == 3 || IsSeparator(text[3]));
}

}  // namespace

bool GrantsChange(std::uint32_t accessMask) {
    constexpr std::uint32_t kWriteData = 0x0002;      // FILE_WRITE_DATA
    constexpr std::uint32_t kAppendData = 0x0004;     // FILE_APPEND_DATA
    constexpr std::uint32_t kDeleteChild = 0x0040;    // FILE_DELETE_CHILD
    constexpr std::uint32_t kDelete = 0x00010000;     // DELETE, which a rename needs too
    constexpr std::uint32_t kWriteDac = 0x00040000;   // WRITE_DAC
    constexpr std::uint32_t kWriteOwner = 0x00080000; // WRITE_OWNER
    constexpr std::uint32_t kGenericAll = 0x10000000;
    constexpr std::uint32_t kGenericWrite = 0x40000000;
    constexpr std::uint32_t kChangeRights =
        kWriteData | kAppendData | kDeleteChild | kDelete | kWriteDac | kWriteOwner | kGenericAll | kGenericWrite;
    return (accessMask & kChangeRights) != 0;
}

std::u16string_view WhyNotAPlainFile(const ExistingFile& file) {
    if (!file.diskFile || file.directory) {
        return u"it is not a plain file";
    }
    return file.reparsePoint ? u"it is a link" : std::u16string_view();
}

std::u16string_view WhyNotFromThisProgram(const ExistingFile& file, const SecurityId& runningAccount) {
    if (const std::u16string_view notPlain = WhyNotAPlainFile(file); !notPlain.empty()) {
        return notPlain;
    }
    // A second link means that the same data also lives under another name, which the run did not make.
    if (file.linkCount != 1) {
        return u"it has more than one name";
    }
    if (!IsTrustedAccount(file.owner, runningAccount)) {
        return u"another account owns it";
    }
    return {};
}

std::u16string_view WhyNotALogFolder(const ExistingFile& folder, const FileWriters& writers, bool localFixedDisk,
                                     const SecurityId& runningAccount) {
    if (!folder.diskFile || !folder.directory) {
        return u"it is not a folder";
    }
    if (folder.reparsePoint) {
        return u"it is a link";
    }
    if (!localFixedDisk) {
        return u"it is not on a local fixed disk";
    }
    return WhyNotKeptByAdministrators(folder.owner, writers, runningAccount,
                                      u"others than the system account, Administrators, TrustedInstaller and the "
                                      u"running account may write to it");
}

std::u16string_view WhyNotToReplace(const ExistingFile& file, const FileWriters& writers,
                                    const SecurityId& runningAccount) {
    if (const std::u16string_view notPlain = WhyNotAPlainFile(file); !notPlain.empty()) {
        return notPlain;
    }
    if (file.linkCount != 1) {
        return u"it has more than one name";
    }
    return WhyNotKeptByAdministrators(file.owner, writers, runningAccount,
                                      u"others than the system account, Administrators, TrustedInstaller and the "
                                      u"running account may change it");
}

std::u16string_view WhyNotToRestoreFrom(const ExistingFile& file, const FileWriters& writers, RecordedBytes record) {
    if (const std::u16string_view notPlain = WhyNotAPlainFile(file); !notPlain.empty()) {
        return notPlain;
    }
    switch (record) {
    case RecordedBytes::Match:
        return {};
    case RecordedBytes::Differ:
        return u"it was changed after its run wrote it";
    case RecordedBytes::NoRecord:
        break;
    }
    if (file.linkCount != 1) {
        return u"no run recorded it, and it has more than one name";
    }
    if (!IsAdministeringAccount(file.owner)) {
        return u"no run recorded it, and its owner is neither the system account, Administrators nor TrustedInstaller";
    }
    const bool othersMayChange = writers.anyone || !std::all_of(writers.identities.begin(), writers.identities.end(),
                                                                IsAdministeringAccount);
    return othersMayChange
               ? u"no run recorded it, and others than the system account, Administrators and TrustedInstaller may "
                 u"change it"
               : std::u16string_view();
}

PathDrive DriveOfPath(std::u16string_view path) {
    std::u16string_view rest = path;
    if (rest.size() >= 2 && IsSeparator(rest[0]) && IsSeparator(rest[1])) {
        // "\\?\" and "\\.\" lead to any object that Windows names; "\\?\UNC\" and "\\" to a share.
        if (rest.size() < 4 || (rest[2] != u'?' && rest[2] != u'.') || !IsSeparator(rest[3])) {
            return {{}, kOnAnotherComputer};
        }
        rest.remove_prefix(4);
        if (StartsWithUncMark(rest)) {
            return {{}, kOnAnotherComputer};
        }
        if (path[2] == u'.' || !StartsWithDriveRoot(rest)) {
            return {{}, u"it is a device or a pipe, not a file on a drive"};
        }
    }
    if (!StartsWithDriveRoot(rest)) {
        return {{}, u"it is not a full path on a drive"};
    }
    return {{rest[0], u':', u'\\'}, {}};
}

bool MayAppendTo(const ExistingFile& file, const WrittenFile& written, const SecurityId& runningAccount) {
    if (!written) {
        return MayAppendTo(file, runningAccount);
    }
    // Judged as if the owner that it showed at the run's first write were the system account, which
    // the rule trusts: a volume without access lists shows every file with the same owner, or none.
    ExistingFile judged = file;
    if (file.owner == written->owner) {
        judged.owner = LocalSystemAccount();
    }
    return file.identity == written->identity && MayAppendTo(judged, runningAccount);
}

}  // namespace halvorn
