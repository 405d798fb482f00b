#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/registry/registry.h"
#include "log/file_trust.h"

namespace halvorn {

// What a run over other Windows installations needs from the operating system beside the
// registry's keys: the local drives, the files on them, and hive files loaded into the registry.
class OfflinePlatform {
public:
    virtual ~OfflinePlatform() = default;

    // Enables SeBackupPrivilege and SeRestorePrivilege, without which no hive loads or unloads.
    // False, with the token left as it was, when the token lacks either of them.
    virtual bool EnableHivePrivileges() = 0;

    // The roots of the local fixed drives, such as "C:\".
    virtual std::vector<std::u16string> FixedDrives() = 0;

    // The directory of the running Windows, such as "C:\Windows".
    virtual std::u16string WindowsDirectory() = 0;

    // Whether path names a file (not a directory).
    virtual bool IsFile(const std::u16string& path) = 0;

    // The identity of the file or folder that path reaches, through any links on the way; nothing
    // when it cannot be read.
    virtual std::optional<FileIdentity> Identity(const std::u16string& path) = 0;

    // Whether path is itself a junction, a symbolic link or another reparse point.
    virtual bool IsReparsePoint(const std::u16string& path) = 0;

    // Loads the hive file at HKLM\keyName, which must not exist yet.
    virtual RegistryStatus LoadHive(const std::u16string& keyName, const std::u16string& file) = 0;

    // Unloads the hive at HKLM\keyName; refused while a handle into it is open.
    virtual RegistryStatus UnloadHive(const std::u16string& keyName) = 0;

    // Waits before a refused unload is tried again.
    virtual void Pause(std::uint32_t milliseconds) = 0;
};

}  // namespace halvorn
