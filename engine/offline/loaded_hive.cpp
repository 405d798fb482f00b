#include "engine/offline/loaded_hive.h"

namespace halvorn {

namespace {

// Programs that open a freshly loaded hive let it go within a second or two.
constexpr int kUnloadAttempts = 5;
constexpr std::uint32_t kUnloadPauseMilliseconds = 400;

constexpr std::u16string_view kNotUnloadedLine =
    u"Offline: HKLM\\%s could not be unloaded (error %d): unload it with reg unload HKLM\\%s.";

}  // namespace

LoadedHive::LoadedHive(OfflinePlatform& platform, std::u16string keyName, const std::u16string& file,
                       RepairLog* log)
    : m_platform(platform),
      m_log(log),
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

bool LoadedHive::Unload() {
    if (!m_loaded) {
        return true;
    }
    m_loaded = false;
    RegistryStatus status = m_platform.UnloadHive(m_keyName);
    for (int attempt = 1; status != kRegistrySuccess && attempt < kUnloadAttempts; ++attempt) {
        m_platform.Pause(kUnloadPauseMilliseconds);
        status = m_platform.UnloadHive(m_keyName);
    }
    if (status != kRegistrySuccess && m_log != nullptr) {
        m_log->WriteLine(kNotUnloadedLine, m_keyName, status, m_keyName);
    }
    return status == kRegistrySuccess;
}

}  // namespace halvorn
