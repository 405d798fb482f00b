#include "log/windows_backup_records.h"

#include <sddl.h>

#include "log/file_trust.h"
#include "log/windows_text.h"

namespace halvorn {

namespace {

constexpr wchar_t kRecordKey[] = L"SOFTWARE\\Halvorn\\RegistryRepair\\Backups";
// Owned by Administrators, since an owner may always change the access list; users may read the
// names and digests, which tell nothing that the backups' folders do not.
constexpr wchar_t kRecordKeySecurity[] = L"O:BAD:P(A;;KA;;;SY)(A;;KA;;;BA)(A;;KR;;;BU)";
// Value names have at most 16,383 characters.
constexpr DWORD kLongestValueName = 16384;

// Whether the file at path is certainly gone, or lies where no restore opens it.
bool IsGone(const std::u16string& path) {
    const PathDrive drive = DriveOfPath(path);
    if (!drive.whyNot.empty() || GetDriveTypeW(ToWide(drive.root).c_str()) == DRIVE_REMOTE) {
        return true;
    }
    // A file that cannot be looked at for another reason (access denied, a drive not ready) may come back.
    if (GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

std::optional<Sha256Digest> WindowsBackupRecords::Find(const std::u16string& path) {
    RegistryHandle key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    Sha256Digest digest{};
    DWORD type = 0;
    DWORD size = sizeof(digest);
    if (RegQueryValueExW(key.get(), ToWide(path).c_str(), nullptr, &type, digest.data(), &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size != sizeof(digest)) {
        return std::nullopt;
    }
    return digest;
}

std::vector<std::u16string> WindowsBackupRecords::Paths() {
    std::vector<std::u16string> paths;
    RegistryHandle key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
        return paths;
    }
    std::vector<wchar_t> name(kLongestValueName);
    for (DWORD index = 0;; ++index) {
        DWORD length = kLongestValueName;
        const LSTATUS status =
            RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            return paths;
        }
        if (status == ERROR_SUCCESS) {
            paths.push_back(FromWide(std::wstring_view(name.data(), length)));
        }
    }
}

HKEY WindowsBackupRecords::Writable() {
    if (m_writable) {
        return m_writable.get();
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kRecordKeySecurity, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return nullptr;
    }
    const LocalMemory freed(descriptor);
    SECURITY_ATTRIBUTES security = {sizeof(security), descriptor, FALSE};
    RegistryHandle key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE | WRITE_DAC | WRITE_OWNER | KEY_WOW64_64KEY, &security,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    // A key that was there already gets the same owner and list: whoever else could change it could
    // vouch for a backup of their own.
    if (RegSetKeySecurity(key.get(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    m_writable = std::move(key);
    return m_writable.get();
}

bool WindowsBackupRecords::Record(const std::u16string& path, const Sha256Digest& digest) {
    const HKEY key = Writable();
    return key != nullptr && RegSetValueExW(key, ToWide(path).c_str(), 0, REG_BINARY, digest.data(),
                                            static_cast<DWORD>(digest.size())) == ERROR_SUCCESS;
}

void WindowsBackupRecords::PruneGone() {
    const HKEY key = Writable();
    if (key == nullptr) {
        return;
    }
    for (const std::u16string& path : Paths()) {
        if (IsGone(path)) {
            RegDeleteValueW(key, ToWide(path).c_str());
        }
    }
}

}  // namespace halvorn
