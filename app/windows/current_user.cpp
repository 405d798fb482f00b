#include "app/windows/current_user.h"

#include <windows.h>

#include <memory>

#include "app/startup.h"
#include "log/windows_handles.h"

namespace halvorn {

namespace {

class WindowsAdminQueries final : public AdminQueries {
public:
    std::uint32_t PlatformId() override {
        // Read once per process; only the platform identifier is consulted.
        static const std::uint32_t platformId = [] {
            OSVERSIONINFOA version{};
            version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
            GetVersionExA(&version);
#pragma GCC diagnostic pop
            return static_cast<std::uint32_t>(version.dwPlatformId);
        }();
        return platformId;
    }

    std::optional<std::vector<SecurityId>> TokenGroups() override {
        KernelHandle token;
        if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, token.put())) {
            // Only a thread without a token of its own falls back to the process token.
            if (GetLastError() != ERROR_NO_TOKEN ||
                !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
                return std::nullopt;
            }
        }
        DWORD size = 0;
        if (GetTokenInformation(token.get(), ::TokenGroups, nullptr, 0, &size) ||
            GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return std::nullopt;
        }
        const auto buffer = std::make_unique<std::byte[]>(size);
        if (!GetTokenInformation(token.get(), ::TokenGroups, buffer.get(), size, &size)) {
            return std::nullopt;
        }
        const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.get());
        std::vector<SecurityId> identifiers;
        identifiers.reserve(groups->GroupCount);
        for (DWORD i = 0; i < groups->GroupCount; ++i) {
            const auto* sid = static_cast<const std::uint8_t*>(groups->Groups[i].Sid);
            identifiers.emplace_back(sid, sid + GetLengthSid(groups->Groups[i].Sid));
        }
        return identifiers;
    }
};

}  // namespace

bool IsCurrentUserAdmin() {
    WindowsAdminQueries queries;
    return IsAdministrator(queries);
}

}  // namespace halvorn
