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

std::vector<std::u16string> MemoryLogPlatform::BackupNames(const std::u16string& directory) {
    std::vector<std::u16string> names;
    for (const auto& [path, bytes] : files) {
        const std::u16string name = path.starts_with(directory) ? path.substr(directory.size()) : u"\\";
        if (name.find(u'\\') == std::u16string::npos && name.starts_with(u"Brimwell") && name.ends_with(u".reg")) {
            names.push_back(name);
        }
    }
    return names;
}

BackupRead MemoryLogPlatform::Read(const std::u16string& path) {
    if (plantedFiles.contains(path)) {
        return {BackupReading::Untrusted, {}, u"another account can have written it"};
    }
    const auto file = files.find(path);
    if (file == files.end()) {
        return {BackupReading::Unreadable, {}, u"it cannot be opened"};
    }
    return {BackupReading::Read, file->second, {}};
}

std::string MemoryLogPlatform::OnlyFile() const {
    if (files.size() > 1) {
        throw std::logic_error("more than one log file was written");
    }
    return files.empty() ? std::string() : files.begin()->second;
}

}  // namespace halvorn::testing
