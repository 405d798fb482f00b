#include "tests/support/memory_log_platform.h"

#include <stdexcept>

namespace halvorn::testing {

AppendResult MemoryLogPlatform::AppendToFile(const std::u16string& path, std::string_view bytes) {
    ++appendCalls;
    if (plantedFiles.contains(path)) {
        return AppendResult::Untrusted;
    }
    if (failingAppends > 0) {
        --failingAppends;
        return AppendResult::Failed;
    }
    files[path].append(bytes);
    return AppendResult::Written;
}

AppendResult MemoryLogPlatform::AppendWhole(const std::u16string& path, std::string_view newFileStart,
                                            std::string_view bytes) {
    if (plantedFiles.contains(path)) {
        return AppendResult::Untrusted;
    }
    if (path.empty() || wholeAppendsLeft == 0 || (!failingDirectory.empty() && path.starts_with(failingDirectory))) {
        return AppendResult::Failed;
    }
    if (wholeAppendsLeft > 0) {
        --wholeAppendsLeft;
    }
    std::string& file = files[path];
    if (file.empty()) {
        file = newFileStart;
    }
    file += bytes;
    return AppendResult::Written;
}

std::string MemoryLogPlatform::OnlyFile() const {
    if (files.size() > 1) {
        throw std::logic_error("more than one log file was written");
    }
    return files.empty() ? std::string() : files.begin()->second;
}

}  // namespace halvorn::testing
