#include "engine/loaded_hive.h"

namespace halvorn {

LoadedHive::LoadedHive(OfflinePlatform& platform, std::u16string keyName, const std::u16string& file)
    : m_platform(platform),
      m_keyName(std::move(keyName)),
      m_loadStatus(platform.LoadHive(m_keyName, file)),
      m_loaded(m_loadStatus == kRegistrySuccess) {}

LoadedHive::~LoadedHive() {
    try {
        Unload();
    } catch (...) {
        // Nothing may leave a destructor; the hive then stays loaded, as after a refused unload.
    }
}

RegistryStatus LoadedHive::Unload() {
    if (!m_loaded) {
        return kRegistrySuccess;
    }
    m_loaded = false;
    return m_platform.UnloadHive(m_keyName);
}

}  // namespace halvorn
