#include "engine/offline/windows_offline_platform.h"

#include "log/windows_private_file.h"
#include "log/windows_text.h"

namespace halvorn {

namespace {

// Enables one privilege of token and keeps in previous what the call changed, for putting it back.
bool EnablePrivilege(HANDLE token, const wchar_t* name, TOKEN_PRIVILEGES& previous) {
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid)) {
        return false;
    }
    DWORD size = sizeof(previous);
    // A token without the privilege does not fail the call: only the last error tells.
    return AdjustTokenPrivileges(token, FALSE, &wanted, sizeof(previous), &previous, &size) &&
           GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

}  // namespace

WindowsOfflinePlatform::~WindowsOfflinePlatform() { RestorePrivileges(); }

bool WindowsOfflinePlatform::EnableHivePrivileges() {
    if (m_token) {
        return true;
    }
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
        return false;
    }
    m_token = std::move(token);
    m_previous = {};
    // RegLoadKeyW and RegUnLoadKeyW need both; with only one the token is put back as it was.
    if (!EnablePrivilege(m_token.get(), SE_BACKUP_NAME, m_previous[0]) ||
        !EnablePrivilege(m_token.get(), SE_RESTORE_NAME, m_previous[1])) {
        RestorePrivileges();
        return false;
    }
    return true;
}

void WindowsOfflinePlatform::RestorePrivileges() {
    if (!m_token) {
        return;
    }
    // The previous state lists only what the enabling changed; an empty list changes nothing.
    for (TOKEN_PRIVILEGES& previous : m_previous) {
        if (previous.PrivilegeCount != 0) {
            AdjustTokenPrivileges(m_token.get(), FALSE, &previous, 0, nullptr, nullptr);
        }
    }
    m_token = KernelHandle();
}

std::vector<std::u16string> WindowsOfflinePlatform::FixedDrives() {
    std::vector<std::u16string> roots;
    const DWORD drives = GetLogicalDrives();
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const std::u16string root = {letter, u':', u'\\'};
        // Removable media, network shares and CD drives hold no installation to repair.
        if ((drives & (1u << (letter - u'A'))) != 0 && GetDriveTypeW(ToWide(root).c_str()) == DRIVE_FIXED) {
            roots.push_back(root);
        }
    }
    return roots;
}

std::u16string WindowsOfflinePlatform::WindowsDirectory() {
    // The system's own directory: GetWindowsDirectoryW gives a user's private one on a terminal server.
    const UINT needed = GetSystemWindowsDirectoryW(nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::wstring directory(needed, L'\0');
    const UINT length = GetSystemWindowsDirectoryW(directory.data(), needed);
    if (length == 0 || length >= needed) {
        return {};
    }
    return FromWide(std::wstring_view(directory).substr(0, length));
}

bool WindowsOfflinePlatform::IsFile(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<FileIdentity> WindowsOfflinePlatform::Identity(const std::u16string& path) {
    // FILE_FLAG_BACKUP_SEMANTICS opens a folder too.
    const KernelHandle file(CreateFileW(ToWide(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | kIdentifyOnly, nullptr));
    return file ? IdentityOf(file.get()) : std::nullopt;
}

bool WindowsOfflinePlatform::IsReparsePoint(const std::u16string& path) {
    // The attributes of a link are its own, not those of what it leads to.
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

RegistryStatus WindowsOfflinePlatform::LoadHive(const std::u16string& keyName, const std::u16string& file) {
    return RegLoadKeyW(HKEY_LOCAL_MACHINE, ToWide(keyName).c_str(), ToWide(file).c_str());
}

RegistryStatus WindowsOfflinePlatform::UnloadHive(const std::u16string& keyName) {
    return RegUnLoadKeyW(HKEY_LOCAL_MACHINE, ToWide(keyName).c_str());
}

void WindowsOfflinePlatform::Pause(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace halvorn
