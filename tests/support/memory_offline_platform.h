#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/offline_platform.h"
#include "tests/support/memory_registry.h"

namespace halvorn::testing {

// Drives, hive files and the loading of hives into a MemoryRegistry. A hive file holds the paths
// of its keys. Loading puts them below a new key of HKLM; unloading writes the keys back into the
// file and takes them away, and is refused while any key handle is open, as Windows refuses it
// while a handle into the hive is open.
class MemoryOfflinePlatform final : public OfflinePlatform {
public:
    explicit MemoryOfflinePlatform(MemoryRegistry& registry) : m_registry(registry) {}

    bool privilegesHeld = true;
    bool privilegesEnabled = false;
    std::vector<std::u16string> drives;
    std::u16string windowsDirectory = u"C:\\Windows";
    std::map<std::u16string, std::vector<std::u16string>> hiveFiles;
    // Loading these files fails with the status given.
    std::map<std::u16string, RegistryStatus> loadFailures;
    // A key of every hive loaded (a path in it) whose open throws: MemoryRegistry::MakeOpenThrow.
    std::u16string throwingKey;
    // The keys at which hives are loaded, and the keys unloaded so far, in order.
    std::vector<std::u16string> loaded;
    std::vector<std::u16string> unloaded;

    bool EnableHivePrivileges() override;
    std::vector<std::u16string> FixedDrives() override { return drives; }
    std::u16string WindowsDirectory() override { return windowsDirectory; }
    bool IsFile(const std::u16string& path) override { return hiveFiles.contains(path); }
    RegistryStatus LoadHive(const std::u16string& keyName, const std::u16string& file) override;
    RegistryStatus UnloadHive(const std::u16string& keyName) override;

private:
    MemoryRegistry& m_registry;
    std::map<std::u16string, std::u16string> m_files;  // loaded key -> its file
};

}  // namespace halvorn::testing
