#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "log/file_trust.h"
#include "log/windows_handles.h"
#include "log/log_platform.h"

namespace halvorn {

// How a caller writes to one of the run's files.
struct PrivateFileAccess {
    DWORD rights;
    DWORD share;
    // Asks for the right to remove a file that the open creates, and only such a file.
    bool removableIfCreated = false;
};

// The identity of the file behind a handle with FILE_READ_ATTRIBUTES; nothing when it cannot be read.
std::optional<FileIdentity> IdentityOf(HANDLE file);

// One of the run's files, open for writing; without a handle, failure says why.
struct PrivateFile {
    KernelHandle handle;
    bool created = false;
    AppendResult failure = AppendResult::Failed;
};

// What the handle shows of the file behind it: its kind, links, owner and identity; the handle needs
// READ_CONTROL and FILE_READ_ATTRIBUTES.
ExistingFile DescribeFile(HANDLE file);

// Who besides its owner may change the file behind the handle, from its access list.
FileWriters WritersOf(HANDLE file);

// Every open of a path that comes from outside the program: a pipe's server learns who opened it
// but cannot act as that account.
inline constexpr DWORD kIdentifyOnly = SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;

// A handle to the file or folder at path as itself, never through a link, that reads only its
// attributes and security, for judging it: share modes never block it, as they guard only a file's
// data and its deletion.
KernelHandle OpenForJudging(const std::wstring& path);

// Opens the run's files as this program's own: a new file is owned by Administrators where the
// token allows it, and gets an access list of its own, inheriting nothing from the folder, that
// lets the system account and Administrators change it and the running account read it; an
// existing one is written only when MayAppendTo trusts it.
class PrivateFileOpener {
public:
    PrivateFileOpener() = default;
    // The security attributes point into the opener itself.
    PrivateFileOpener(const PrivateFileOpener&) = delete;
    PrivateFileOpener& operator=(const PrivateFileOpener&) = delete;

    // written: the file that the run's first write under path found or made, which this open
    // records; see MayAppendTo.
    PrivateFile Open(const std::wstring& path, const PrivateFileAccess& access, WrittenFile& written);

    NameHolder WhatHolds(const std::wstring& path);

    // The account that this process runs as; read once, empty when the token cannot be read.
    const SecurityId& RunningAccount();

private:
    // Whether MayAppendTo trusts the file that the handle reaches, for the running account.
    bool Trusts(HANDLE file, const WrittenFile& written = {});
    SECURITY_ATTRIBUTES* NewFileSecurity();
    // Creates the file at path new, with the owner where the token allows it.
    KernelHandle CreateNew(const std::wstring& path, DWORD rights, DWORD share, DWORD flags);

    bool m_accountRead = false;
    SecurityId m_runningAccount;
    bool m_securityBuilt = false;
    SecurityId m_owner = AdministratorsAlias();
    std::vector<unsigned char> m_accessList;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
};

}  // namespace halvorn
