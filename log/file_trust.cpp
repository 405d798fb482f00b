#include "log/file_trust.h"

#include <algorithm>

namespace halvorn {

namespace {

bool IsTrustedAccount(const SecurityId& account, const SecurityId& runningAccount) {
    return !account.empty() &&
           (account == runningAccount || account == LocalSystemAccount() || account == AdministratorsAlias());
}

}  // namespace

std::u16string_view WhyNotFromThisProgram(const ExistingFile& file, const SecurityId& runningAccount) {
    if (!file.diskFile || file.directory) {
        return u"it is not a plain file";
    }
    if (file.reparsePoint) {
        return u"it is a link";
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

std::u16string_view WhyNotToRestoreFrom(const ExistingFile& file, const FileWriters& writers,
                                        const SecurityId& runningAccount) {
    const std::u16string_view notOurs = WhyNotFromThisProgram(file, runningAccount);
    if (!notOurs.empty()) {
        return notOurs;
    }
    const bool othersMayWrite =
        writers.anyone || std::any_of(writers.identities.begin(), writers.identities.end(),
                                      [&](const SecurityId& writer) { return !IsTrustedAccount(writer, runningAccount); });
    return othersMayWrite ? u"another account may change it" : std::u16string_view();
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
