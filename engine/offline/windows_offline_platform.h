#pragma once

#include <windows.h>

#include <array>

#include "log/windows_handles.h"
#include "engine/offline/offline_platform.h"

namespace halvorn {

// What an offline run needs, through ADVAPI32 and KERNEL32. Text is copied between char16_t and
// wchar_t here. The privileges that it enables are put back as they were when it goes, which is
// after every hive that needed them has been unloaded.
class WindowsOfflinePlatform final : public OfflinePlatform {
public:
    WindowsOfflinePlatform() = default;
    ~WindowsOfflinePlatform() override;
    WindowsOfflinePlatform(const WindowsOfflinePlatform&) = delete;
    WindowsOfflinePlatform& operator=(const WindowsOfflinePlatform&) = delete;

    bool EnableHivePrivileges() override;
    std::vector<std::u16string> FixedDrives() override;
    std::u16string WindowsDirectory() override;
    bool IsFile(const std::u16string& path) override;
    std::optional<FileIdentity> Identity(const std::u16string& path) override;
    bool IsReparsePoint(const std::u16string& path) override;
    RegistryStatus LoadHive(const std::u16string& keyName, const std::u16string& file) override;
    RegistryStatus UnloadHive(const std::u16string& keyName) override;
    void Pause(std::uint32_t milliseconds) override;

private:
    void RestorePrivileges();

    // The process token while the privileges are enabled, and what they were before.
    KernelHandle m_token;
    std::array<TOKEN_PRIVILEGES, 2> m_previous{};
};

}  // namespace halvorn
