#pragma once

#include <string>
#include <string_view>

#include "engine/restore/restore_result.h"

namespace halvorn {

// The text of the message box that ends a restore started without "/noui": how many trees came back
// from which file, or why the file was refused, and where the log is.
std::u16string RestoreMessage(const RestoreResult& result, std::u16string_view logPath);

}  // namespace halvorn
