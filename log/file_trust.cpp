#include "log/file_trust.h"

namespace halvorn {

namespace {

// A second link means that the same data also lives under another name, which the run did not make.
bool IsPlainFile(const ExistingFile& file) {
    return file.diskFile && !file.directory && !file.reparsePoint && file.linkCount == 1;
}

bool IsTrustedOwner(const SecurityId& owner, const SecurityId& runningAccount) {
    return !owner.empty() &&
           (owner == runningAccount || owner == LocalSystemAccount() || owner == AdministratorsAlias());
}

}  // namespace

bool MayAppendTo(const ExistingFile& file, const SecurityId& runningAccount) {
    return IsPlainFile(file) && IsTrustedOwner(file.owner, runningAccount);
}

bool MayAppendTo(const ExistingFile& file, const WrittenFile& written, const SecurityId& runningAccount) {
    if (!written) {
        return MayAppendTo(file, runningAccount);
    }
    return file.identity == written->identity && IsPlainFile(file) &&
           (file.owner == written->owner || IsTrustedOwner(file.owner, runningAccount));
}

}  // namespace halvorn
