#pragma once

#include <string>

#include "log/security_id.h"

namespace halvorn {

// Why the folder at path may not take the run's files (WhyNotALogFolder), read through a handle to
// the folder itself, never through a link; empty when it may.
std::u16string WhyNotALogFolderAt(const std::u16string& path, const SecurityId& runningAccount);

}  // namespace halvorn
