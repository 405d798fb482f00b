#pragma once

#include <string>

namespace halvorn {

// The interactive run: shows the wizard on this thread until the user ends it.
void RunWizard(const std::u16string& arguments);

}  // namespace halvorn
