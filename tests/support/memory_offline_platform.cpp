#include "tests/support/memory_offline_platform.h"

namespace halvorn::testing {

namespace {

constexpr RegistryStatus kAlreadyExists = 183;      // ERROR_ALREADY_EXISTS
constexpr RegistryStatus kPrivilegeNotHeld = 1314;  // ERROR_PRIVILEGE_NOT_HELD

}  // namespace

RegistryStatus MemoryOfflinePlatform::LoadHive(const std::u16string& keyName, const std::u16string& file) {
    if (!privilegesEnabled) {
        return kPrivilegeNotHeld;
    }
    if (const auto failure = loadFailures.find(file); failure != loadFailures.end()) {
        return failure->second;
    }
    if (m_registry.Exists(keyName)) {
        return kAlreadyExists;
    }
    m_registry.CreateKey(keyName);
    for (const std::u16string& key : hiveFiles.at(file)) {
        m_registry.CreateKey(keyName + u"\\" + key);
    }
    return kRegistrySuccess;
}

RegistryStatus MemoryOfflinePlatform::UnloadHive(const std::u16string& keyName) {
    if (m_registry.OpenHandleCount() != 0) {
        return kRegistryAccessDenied;
    }
    m_registry.RemoveTree(keyName);
    unloaded.push_back(keyName);
    return kRegistrySuccess;
}

}  // namespace halvorn::testing
