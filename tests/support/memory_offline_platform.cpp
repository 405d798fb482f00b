#include "tests/support/memory_offline_platform.h"

#include <algorithm>

#include "engine/registry/ascii_case.h"

namespace halvorn::testing {

std::optional<FileIdentity> MemoryOfflinePlatform::Identity(const std::u16string& path) {
    return FileIdentity{1, path.at(0) == u'G' ? u'C' : UpperAsciiCase(path.at(0))};
}

bool MemoryOfflinePlatform::IsReparsePoint(const std::u16string& path) {
    return std::find(links.begin(), links.end(), path) != links.end();
}

RegistryStatus MemoryOfflinePlatform::LoadHive(const std::u16string& keyName, const std::u16string& file) {
    if (hiveFiles.at(file).empty()) {
        return 1009;  // ERROR_BADDB: the file holds no hive
    }
    for (const std::u16string& key : hiveFiles.at(file)) {
        m_registry.CreateKey(keyName + u"\\" + key);
    }
    ++loadedHives;
    return kRegistrySuccess;
}

RegistryStatus MemoryOfflinePlatform::UnloadHive(const std::u16string& keyName) {
    if (m_registry.OpenHandleCount() != 0 || refusedUnloads-- > 0) {
        return kRegistryAccessDenied;
    }
    --loadedHives;  // first, so that unloading a key that no load made shows
    m_registry.RemoveTree(keyName);
    return kRegistrySuccess;
}

}  // namespace halvorn::testing
