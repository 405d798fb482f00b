#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/offline_platform.h"
#include "tests/support/memory_registry.h"

namespace halvorn::testing {

// Drives and hive files for a MemoryRegistry. A hive file holds the paths of its keys; loading
// puts them below a new key of HKLM, and unloading takes them away, refused while any key handle is
// open, as Windows refuses it while a handle into the hive is open.
class MemoryOfflinePlatform final : public OfflinePlatform {
public:
    explicit MemoryOfflinePlatform(MemoryRegistry& registry) : m_registry(registry) {}

    bool privilegesHeld = true;
    bool privilegesEnabled = false;
    std::vector<std::u16string> drives = {u"C:\\", u"D:\\", u"E:\\"};
    std::u16string windowsDirectory = u"C:\\Windows";
    std::map<std::u16string, std::vector<std::u16string>> hiveFiles;
    std::map<std::u16string, RegistryStatus> loadFailures;  // by file
    std::vector<std::u16string> unloaded;                   // keys, in order

    bool EnableHivePrivileges() override { return privilegesEnabled = privilegesHeld; }
    std::vector<std::u16string> FixedDrives() override { return drives; }
    std::u16string WindowsDirectory() override { return windowsDirectory; }
    bool IsFile(const std::u16string& path) override { return hiveFiles.contains(path); }
    RegistryStatus LoadHive(const std::u16string& keyName, const std::u16string& file) override;
    RegistryStatus UnloadHive(const std::u16string& keyName) override;

private:
    MemoryRegistry& m_registry;
};

}  // namespace halvorn::testing
