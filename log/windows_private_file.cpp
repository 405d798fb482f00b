#include "log/windows_private_file.h"

#include <aclapi.h>


namespace halvorn {

namespace {

SecurityId CopyOf(PSID sid) {
    if (sid == nullptr || !IsValidSid(sid)) {
        return {};
    }
    const auto* bytes = static_cast<const std::uint8_t*>(sid);
    return SecurityId(bytes, bytes + GetLengthSid(sid));
}

FileIdentity IdentityIn(const BY_HANDLE_FILE_INFORMATION& information) {
    return {information.dwVolumeSerialNumber,
            std::uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow};
}

}  // namespace

KernelHandle OpenForJudging(const std::wstring& path) {
    return KernelHandle(CreateFileW(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | kIdentifyOnly,
                                    nullptr));
}

std::optional<FileIdentity> IdentityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file, &information)) {
        return std::nullopt;
    }
    return IdentityIn(information);
}

ExistingFile DescribeFile(HANDLE file) {
    ExistingFile facts;
    facts.diskFile = GetFileType(file) == FILE_TYPE_DISK;
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(file, &information)) {
        facts.directory = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        facts.reparsePoint = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        facts.linkCount = information.nNumberOfLinks;
        facts.identity = IdentityIn(information);
    }
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) == ERROR_SUCCESS) {
        const LocalMemory freed(descriptor);
        facts.owner = CopyOf(owner);
    }
    return facts;
}

FileWriters WritersOf(HANDLE file) {
    PACL accessList = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &accessList, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
        return {true, {}};
    }
    const LocalMemory freed(descriptor);
    if (accessList == nullptr) {
        return {true, {}};  // no list lets everyone in
    }
    FileWriters writers;
    for (DWORD index = 0; index < accessList->AceCount; ++index) {
        ACE_HEADER* entry = nullptr;
        if (!GetAce(accessList, index, reinterpret_cast<void**>(&entry))) {
            return {true, {}};
        }
        // Denying entries only take rights away, and inherit-only ones apply to the folder's children.
        if ((entry->AceFlags & INHERIT_ONLY_ACE) != 0 || entry->AceType == ACCESS_DENIED_ACE_TYPE ||
            entry->AceType == ACCESS_DENIED_CALLBACK_ACE_TYPE || entry->AceType == SYSTEM_AUDIT_ACE_TYPE ||
            entry->AceType == SYSTEM_ALARM_ACE_TYPE || entry->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE) {
            continue;
        }
        // Allowing entries of other layouts name their identity elsewhere: they count as anyone's.
        if (entry->AceType != ACCESS_ALLOWED_ACE_TYPE && entry->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) {
            return {true, {}};
        }
        const auto* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(entry);
        if (GrantsChange(allowed->Mask)) {
            writers.identities.push_back(CopyOf(const_cast<DWORD*>(&allowed->SidStart)));
        }
    }
    return writers;
}

const SecurityId& PrivateFileOpener::RunningAccount() {
    if (!m_accountRead) {
        m_accountRead = true;
        KernelHandle token;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
            DWORD size = 0;
            GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
            std::vector<unsigned char> buffer(size);
            if (size != 0 && GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
                m_runningAccount = CopyOf(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid);
            }
        }
    }
    return m_runningAccount;
}

SECURITY_ATTRIBUTES* PrivateFileOpener::NewFileSecurity() {
    if (m_securityBuilt) {
        return &m_attributes;
    }
    // The running account only reads: an administrator's unelevated processes share its account.
    std::vector<std::pair<SecurityId, DWORD>> grants = {{LocalSystemAccount(), FILE_ALL_ACCESS},
                                                        {AdministratorsAlias(), FILE_ALL_ACCESS}};
    const SecurityId& account = RunningAccount();
    if (!account.empty() && account != LocalSystemAccount() && account != AdministratorsAlias()) {
        grants.emplace_back(account, FILE_GENERIC_READ);
    }
    DWORD size = sizeof(ACL);
    for (const auto& grant : grants) {
        size += static_cast<DWORD>(sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + grant.first.size());
    }
    m_accessList.assign(size, 0);
    auto* accessList = reinterpret_cast<PACL>(m_accessList.data());
    bool built = InitializeAcl(accessList, size, ACL_REVISION) &&
                 InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION);
    for (auto& [grantee, rights] : grants) {
        built = built && AddAccessAllowedAce(accessList, ACL_REVISION, rights, grantee.data());
    }
    // Protected: nothing that the folder would pass on to its files is added to the list. The owner
    // holds the rights to change the list whatever it says, so it is Administrators, not a person.
    built = built && SetSecurityDescriptorDacl(&m_descriptor, TRUE, accessList, FALSE) &&
            SetSecurityDescriptorControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED) &&
            SetSecurityDescriptorOwner(&m_descriptor, m_owner.data(), FALSE);
    if (!built) {
        return nullptr;
    }
    m_attributes = {sizeof(m_attributes), &m_descriptor, FALSE};
    m_securityBuilt = true;
    return &m_attributes;
}

bool PrivateFileOpener::Trusts(HANDLE file, const WrittenFile& written) {
    return MayAppendTo(DescribeFile(file), written, RunningAccount());
}

NameHolder PrivateFileOpener::WhatHolds(const std::wstring& path) {
    const KernelHandle file = OpenForJudging(path);
    if (!file) {
        // Only a name that exists can be someone else's, so every name passed over is a file, and
        // the search for a free one ends.
        return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? NameHolder::Nothing
                                                                            : NameHolder::OtherFile;
    }
    return Trusts(file.get()) ? NameHolder::TrustedFile : NameHolder::OtherFile;
}

KernelHandle PrivateFileOpener::CreateNew(const std::wstring& path, DWORD rights, DWORD share, DWORD flags) {
    KernelHandle file(CreateFileW(path.c_str(), rights, share, &m_attributes, CREATE_NEW, flags, nullptr));
    // A token may name as owners only itself and the groups that it holds as owners: without
    // Administrators among them, the file takes the token's default owner.
    if (!file && GetLastError() == ERROR_INVALID_OWNER && SetSecurityDescriptorOwner(&m_descriptor, nullptr, FALSE)) {
        file.reset(CreateFileW(path.c_str(), rights, share, &m_attributes, CREATE_NEW, flags, nullptr));
    }
    return file;
}

PrivateFile PrivateFileOpener::Open(const std::wstring& path, const PrivateFileAccess& access, WrittenFile& written) {
    PrivateFile file;
    if (NewFileSecurity() == nullptr) {
        return file;  // a file that others could open is not made at all
    }
    // A reparse point is opened as itself, so a link planted under the name leads nowhere. Every
    // handle can describe its file.
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | kIdentifyOnly;
    const DWORD rights = access.rights | READ_CONTROL | FILE_READ_ATTRIBUTES;
    file.handle = CreateNew(path, rights | (access.removableIfCreated ? DELETE : 0), access.share, kFlags);
    if (file.handle) {
        file.created = true;
        written = DescribeFile(file.handle.get());
        return file;
    }
    const DWORD createError = GetLastError();
    if (createError != ERROR_FILE_EXISTS && createError != ERROR_ALREADY_EXISTS) {
        return file;
    }
    file.handle.reset(CreateFileW(path.c_str(), rights, access.share, nullptr, OPEN_EXISTING, kFlags, nullptr));
    if (!file.handle) {
        // A file that another process holds without sharing it is judged through a handle that
        // the holder cannot shut out: the run waits only for a file of its own kind. Any other
        // file that shuts the run out came from elsewhere.
        const KernelHandle judged = GetLastError() == ERROR_SHARING_VIOLATION ? OpenForJudging(path) : KernelHandle();
        file.failure = judged && Trusts(judged.get(), written) ? AppendResult::InUse : AppendResult::Untrusted;
        return file;
    }
    const ExistingFile found = DescribeFile(file.handle.get());
    if (!MayAppendTo(found, written, RunningAccount())) {
        file.handle.reset();
        file.failure = AppendResult::Untrusted;
    } else if (!written) {
        written = found;
    }
    return file;
}

}  // namespace halvorn
