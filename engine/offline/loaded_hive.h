#pragma once

#include <string>

#include "engine/offline/offline_platform.h"
#include "log/repair_log.h"

namespace halvorn {

// The one owner of a hive file loaded below HKLM: the hive is unloaded when the owner goes, on
// every path, a run cut short included. Every handle into the hive must be closed by then, since
// Windows refuses to unload a hive that is in use.
class LoadedHive {
public:
    // Loads file at HKLM\keyName. log: where a hive that stays loaded is named, if given.
    LoadedHive(OfflinePlatform& platform, std::u16string keyName, const std::u16string& file,
               RepairLog* log = nullptr);
    ~LoadedHive();
    LoadedHive(const LoadedHive&) = delete;
    LoadedHive& operator=(const LoadedHive&) = delete;

    explicit operator bool() const { return m_loaded; }
    RegistryStatus LoadStatus() const { return m_loadStatus; }
    const std::u16string& KeyName() const { return m_keyName; }

    // Unloads the hive now, trying again for a moment while another program (an antivirus, the
    // indexer) holds it. False when it stays loaded: the log then names it with the command that
    // unloads it, and the owner tries no more.
    bool Unload();

private:
    OfflinePlatform& m_platform;
    RepairLog* m_log;
    std::u16string m_keyName;
    RegistryStatus m_loadStatus;
    bool m_loaded;
};

}  // namespace halvorn
