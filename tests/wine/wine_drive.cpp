#include "tests/wine/wine_drive.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

namespace halvorn::testing {

namespace {

// The input of Wine's IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE, followed by the Unix folder that the drive
// stands for. Without a folder the drive is removed.
struct UnixDriveDefinition {
    ULONG size;
    ULONG type;
    ULONG fileSystemType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Wine's own export that names the Unix path of a Windows one; the text is on the process heap.
std::string UnixPath(const std::wstring& path) {
    using Convert = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unixPath = convert != nullptr ? convert(path.c_str()) : nullptr;
    if (unixPath == nullptr) {
        return {};
    }
    std::string text(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return text;
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(path + L"\\" + name);
            } else {
                DeleteFileW((path + L"\\" + name).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

WineDrive::WineDrive(wchar_t letter) : m_letter(letter), m_folder(L"C:\\halvorn-drive-" + std::wstring(1, letter)) {
    RemoveTree(m_folder);
    CreateDirectoryW(m_folder.c_str(), nullptr);
    const std::string unixFolder = UnixPath(m_folder);
    m_mounted = !unixFolder.empty() && Define(unixFolder) && GetDriveTypeW(Root().c_str()) == DRIVE_FIXED;
}

WineDrive::~WineDrive() {
    Define({});
    RemoveTree(m_folder);
}

bool WineDrive::Define(const std::string& unixFolder) const {
    std::vector<char> input(sizeof(UnixDriveDefinition) + unixFolder.size() + 1);
    UnixDriveDefinition definition{};
    definition.size = static_cast<ULONG>(input.size());
    definition.type = DRIVE_FIXED;
    definition.letter = m_letter;
    definition.mountPointOffset = unixFolder.empty() ? 0 : static_cast<USHORT>(sizeof(definition));
    std::memcpy(input.data(), &definition, sizeof(definition));
    std::memcpy(input.data() + sizeof(definition), unixFolder.c_str(), unixFolder.size() + 1);
    const HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD returned = 0;
    const BOOL defined = DeviceIoControl(manager, kDefineUnixDrive, input.data(), static_cast<DWORD>(input.size()),
                                         nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return defined != FALSE;
}

}  // namespace halvorn::testing
