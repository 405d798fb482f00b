#pragma once

#include "log/log_platform.h"

namespace halvorn {

// The log's operating-system needs through KERNEL32.
class WindowsLogPlatform final : public LogPlatform {
public:
    std::u16string TemporaryDirectory() override;
    LocalTime Now() override;
    bool AppendToFile(const std::u16string& path, std::string_view bytes) override;
    bool AppendWhole(const std::u16string& path, std::string_view newFileStart,
                     std::string_view bytes) override;
};

}  // namespace halvorn
