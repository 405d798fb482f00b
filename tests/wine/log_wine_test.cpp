// The log written through the Windows platform into Wine's real temporary directory.
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <fstream>
#include <string>

#include "log/windows_handles.h"
#include "log/repair_log.h"
#include "log/trace_scope.h"
#include "log/windows_log_platform.h"
#include "tests/wine/support/program_process.h"
#include "tests/wine/support/wine_support.h"
#include "log/windows_text.h"

namespace halvorn {
namespace {

using testing::FileExists;
using testing::ReadFile;

// The file's access list in the security descriptor language: "D:P(A;;FA;;;SY)...".
std::wstring AccessListOf(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                              nullptr, &descriptor) != ERROR_SUCCESS) {
        return {};
    }
    wchar_t* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                         &text, nullptr);
    const std::wstring accessList = text != nullptr ? text : L"";
    LocalFree(text);
    LocalFree(descriptor);
    return accessList;
}

TEST(LogOnWine, IsNamedAfterTheStartTimeInTheTemporaryDirectory) {
    WindowsLogPlatform platform;
    wchar_t directory[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
    ASSERT_GT(length, 0u);
    ASSERT_EQ(directory[length - 1], L'\\');

    SYSTEMTIME before{};
    GetLocalTime(&before);
    const RepairLog log(platform);
    const std::wstring path = ToWide(log.Path());

    const std::wstring expectedStart = std::wstring(directory, length) + L"Brimwell" +
                                       std::to_wstring(before.wMonth) + L"-" +
                                       std::to_wstring(before.wDay) + L"-" +
                                       std::to_wstring(before.wYear) + L" ";
    EXPECT_EQ(path.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(path.substr(path.size() - 4), L".log");
    EXPECT_NE(path.find(L"h"), std::wstring::npos);
    EXPECT_FALSE(FileExists(ToWide(log.Path()))) << "the log exists before its first line";
}

TEST(LogOnWine, WritesHeaderAndLinesAsSingleByteCrLfText) {
    WindowsLogPlatform platform;
    RepairLog log(platform);
    DeleteFileW(ToWide(log.Path()).c_str());
    {
        TraceScope run(log);
        log.WriteLine(u"%s\\%s", u"Svc%s\u00e9", u"$%&'(\u4e2d");
        log.WriteLine(u"Invalid registry keys count\t: %d", 1);
    }
    const std::string bytes = ReadFile(ToWide(log.Path()));
    // Only the running account, the system account and Administrators may open it: not Everyone,
    // whom Wine lets read any other file, nor Users.
    const std::wstring accessList = AccessListOf(ToWide(log.Path()));
    EXPECT_NE(accessList.find(L";;;SY)"), std::wstring::npos) << accessList;
    for (const wchar_t* other : {L";;;WD)", L";;;BU)", L";;;AU)"}) {
        EXPECT_EQ(accessList.find(other), std::wstring::npos) << accessList;
    }
    DeleteFileW(ToWide(log.Path()).c_str());

    const std::string banner = "\r\n\r\n\t\t\t---- Halvorn Registry Repair Tool  ----\r\n\r\n\r\n";
    ASSERT_EQ(bytes.substr(0, banner.size()), banner);
    const std::size_t dateEnd = bytes.find("\r\n", banner.size());
    ASSERT_NE(dateEnd, std::string::npos);
    const std::string date = bytes.substr(banner.size(), dateEnd - banner.size());
    EXPECT_NE(date.find(", "), std::string::npos) << date;
    EXPECT_NE(date.find("   Time: "), std::string::npos) << date;
    EXPECT_EQ(bytes.substr(dateEnd + 2),
              "RELEASE Version: 1.0.0.19\r\nSvc%s\xe9\\$%&'(?\r\nInvalid registry keys count\t: 1\r\n");
}

TEST(LogOnWine, AppendsToAFileThatExists) {
    WindowsLogPlatform platform;
    RepairLog log(platform);
    {
        std::ofstream existing(ToWide(log.Path()).c_str(), std::ios::binary | std::ios::trunc);
        existing << "earlier\r\n";
    }
    log.WriteLine(u"later");
    EXPECT_EQ(ReadFile(ToWide(log.Path())), "earlier\r\nlater\r\n");
    DeleteFileW(ToWide(log.Path()).c_str());
}

TEST(LogOnWine, AFileHeldWithoutSharingLosesTheLineOrIsPassedOver) {
    WindowsLogPlatform platform;
    RepairLog log(platform);
    // Another program holds the file without sharing it.
    const HANDLE locked = CreateFileW(ToWide(log.Path()).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    log.WriteLine(u"lost");
    CloseHandle(locked);
    log.WriteLine(u"kept");
    EXPECT_EQ(ReadFile(ToWide(log.Path())), "kept\r\n");

    // Another account's file under the backup's name, held the same way, is passed over with the log.
    const std::wstring first = ToWide(log.Path()), planted = ToWide(log.Files().BackupPath());
    ASSERT_TRUE(testing::WriteWholeFile(planted, "planted"));
    if (!testing::GiveToAnotherAccount({planted})) {
        GTEST_SKIP() << "only root can give the planted file to another account";
    }
    KernelHandle held(CreateFileW(planted.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(held && log.Files().AppendToBackup("", "tree"));
    held.reset();
    EXPECT_EQ(ReadFile(planted) + ReadFile(ToWide(log.Files().BackupPath())) + ReadFile(ToWide(log.Path())),
              "plantedtreekept\r\n");
    for (const std::wstring& path : {first, planted, ToWide(log.Path()), ToWide(log.Files().BackupPath())}) {
        DeleteFileW(path.c_str());
    }
}

}  // namespace
}  // namespace halvorn
