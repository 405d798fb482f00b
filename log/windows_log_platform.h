#pragma once

#include "log/log_platform.h"
#include "log/windows_private_file.h"

namespace halvorn {

// The log's operating-system needs through KERNEL32 and ADVAPI32.
class WindowsLogPlatform final : public LogPlatform {
public:
    std::u16string TemporaryDirectory() override;
    LocalTime Now() override;
    NameHolder WhatHolds(const std::u16string& path) override;
    AppendResult AppendToFile(const std::u16string& path, std::string_view bytes, WrittenFile& written) override;
    AppendResult AppendWhole(const std::u16string& path, std::string_view newFileStart, std::string_view bytes,
                             WrittenFile& written, Sha256& content,
                             const std::optional<Sha256Digest>& recorded) override;
    void Pause(std::uint32_t milliseconds) override;

private:
    PrivateFileOpener m_opener;
};

}  // namespace halvorn
