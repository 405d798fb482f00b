#include "log/file_trust.h"

namespace halvorn {

bool MayAppendTo(const ExistingFile& file, const SecurityId& runningAccount) {
    const bool trustedOwner = !file.owner.empty() &&
                              (file.owner == runningAccount || file.owner == LocalSystemAccount() ||
                               file.owner == AdministratorsAlias());
    // A second link means that the same data also lives under another name, which the run did not make.
    return file.diskFile && !file.directory && !file.reparsePoint && file.linkCount == 1 && trustedOwner;
}

}  // namespace halvorn
