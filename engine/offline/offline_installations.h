#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/offline/offline_platform.h"

namespace halvorn {

// The system hive file of the installation in windowsDirectory: its System32\config\SYSTEM.
std::u16string SystemHiveFile(std::u16string_view windowsDirectory);

// The Windows directories ("D:\Windows") of the fixed drives whose system hive file exists, in
// the order of the drives, without the running Windows' own.
std::vector<std::u16string> FindOfflineInstallations(OfflinePlatform& platform);

// The key below HKLM at which to load the hive of the installation in windowsDirectory: named
// after its drive ("HalvornOfflineD"), with "_2" to "_9" appended when that name is taken. A name
// counts as taken unless opening it finds nothing, so a run never loads a hive at, or unloads, a
// key that it did not make. Nothing when every name is taken.
std::optional<std::u16string> ChooseTemporaryHiveKey(Registry& registry, std::u16string_view windowsDirectory);

}  // namespace halvorn
