#pragma once

namespace halvorn {

// Whether the user running this process is a member of the local Administrators group.
bool IsCurrentUserAdmin();

}  // namespace halvorn
