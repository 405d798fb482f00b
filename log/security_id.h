#pragma once

#include <cstdint>
#include <vector>

namespace halvorn {

// A security identifier in its binary form.
using SecurityId = std::vector<std::uint8_t>;

// S-1-5-32-544, the built-in Administrators alias.
SecurityId AdministratorsAlias();

// S-1-5-18, the system account (LocalSystem).
SecurityId LocalSystemAccount();

}  // namespace halvorn
