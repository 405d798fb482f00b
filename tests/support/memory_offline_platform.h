#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/offline/offline_platform.h"
#include "tests/support/memory_registry.h"

namespace halvorn::testing {

// One machine, as an offline run sees it: Windows in c:\WINDOWS, and on the fixed drives C: to G:
// the hive files that the test names, G: a subst drive of C:. Loading a hive file puts its keys
// below a new key of the registry; unloading takes them away, refused while any key handle is
// open, as Windows refuses it while the hive is in use, and as often as the test says, as while an
// antivirus reads the hive.
class MemoryOfflinePlatform final : public OfflinePlatform {
public:
    explicit MemoryOfflinePlatform(MemoryRegistry& registry) : m_registry(registry) {}

    bool EnableHivePrivileges() override { return privilegesHeld; }
    std::vector<std::u16string> FixedDrives() override { return {u"C:\\", u"D:\\", u"E:\\", u"F:\\", u"G:\\"}; }
    std::u16string WindowsDirectory() override { return u"c:\\WINDOWS\\"; }
    bool IsFile(const std::u16string& path) override { return hiveFiles.contains(path); }
    std::optional<FileIdentity> Identity(const std::u16string& path) override;
    bool IsReparsePoint(const std::u16string& path) override;
    RegistryStatus LoadHive(const std::u16string& keyName, const std::u16string& file) override;
    RegistryStatus UnloadHive(const std::u16string& keyName) override;
    void Pause(std::uint32_t) override {}

    // Each hive file with the paths of its keys; a file without keys holds no hive.
    std::map<std::u16string, std::vector<std::u16string>> hiveFiles;
    std::vector<std::u16string> links;  // folders that are reparse points
    int refusedUnloads = 0;
    bool privilegesHeld = true;
    int loadedHives = 0;

private:
    MemoryRegistry& m_registry;
};

}  // namespace halvorn::testing
