#include "tests/support/memory_offline_platform.h"

#include <algorithm>

namespace halvorn::testing {

namespace {

constexpr RegistryStatus kAlreadyExists = 183;       // ERROR_ALREADY_EXISTS
constexpr RegistryStatus kPrivilegeNotHeld = 1314;  // ERROR_PRIVILEGE_NOT_HELD

}  // namespace

bool MemoryOfflinePlatform::EnableHivePrivileges() {
    privilegesEnabled = privilegesHeld;
    return privilegesEnabled;
}

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
    const auto hive = hiveFiles.find(file);
    if (hive == hiveFiles.end()) {
        return kRegistryFileNotFound;
    }
    m_registry.CreateKey(keyName);
    for (const std::u16string& key : hive->second) {
        m_registry.CreateKey(keyName + u"\\" + key);
    }
    if (!throwingKey.empty()) {
        m_registry.MakeOpenThrow(keyName + u"\\" + throwingKey);
    }
    m_files[keyName] = file;
    loaded.push_back(keyName);
    return kRegistrySuccess;
}

RegistryStatus MemoryOfflinePlatform::UnloadHive(const std::u16string& keyName) {
    if (!privilegesEnabled) {
        return kPrivilegeNotHeld;
    }
    const auto file = m_files.find(keyName);
    if (file == m_files.end()) {
        return kRegistryFileNotFound;
    }
    if (m_registry.OpenHandleCount() != 0) {
        return kRegistryAccessDenied;
    }
    hiveFiles[file->second] = m_registry.ListTree(keyName);
    m_registry.RemoveTree(keyName);
    m_files.erase(file);
    loaded.erase(std::find(loaded.begin(), loaded.end(), keyName));
    unloaded.push_back(keyName);
    return kRegistrySuccess;
}

}  // namespace halvorn::testing
