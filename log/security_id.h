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

// S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464, the TrustedInstaller service,
// which owns Windows' own files.
SecurityId TrustedInstallerService();

}  // namespace halvorn
