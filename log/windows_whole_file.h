#pragma once

#include <string>
#include <string_view>

#include "log/windows_private_file.h"

namespace halvorn {

// Writes bytes as the whole new content of the file at path, so that a reader finds the old file
// or the new one and never a part: into a new file of the run's own beside it, on the disk, then
// renamed over path through its handle. A file that holds path is replaced only where
// WhyNotToReplace allows it, judged as itself, never through a link. Empty on success; otherwise
// why nothing was written, and path is as it was.
std::u16string WriteFileWhole(const std::u16string& path, std::string_view bytes, PrivateFileOpener& opener);

}  // namespace halvorn
