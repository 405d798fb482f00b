#pragma once

#include <string>

#include "app/exit_code.h"

namespace halvorn {

// The interactive run: shows the wizard on this thread until the user ends it.
RunOutcome RunWizard(const RunOptions& options, const std::u16string& arguments);

}  // namespace halvorn
