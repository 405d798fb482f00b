#pragma once

#include <array>
#include <string_view>

namespace halvorn {

// The services and drivers of Halvorn's own products, each spelled as its key is named directly
// under a control set's Services key. Only keys with these names are looked into, unless the run
// scans all keys.
extern const std::array<std::u16string_view, 78> TargetServiceTable;

// True when name, a single key name, equals a row of TargetServiceTable with only ASCII letters
// folded: no prefix matching, no trimming.
bool IsTargetService(std::u16string_view name);

}  // namespace halvorn
