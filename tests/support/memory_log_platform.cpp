#include "tests/support/memory_log_platform.h"

#include <stdexcept>

namespace halvorn::testing {

namespace {

// S-1-5-21-1-2-3-1001 runs the program; S-1-5-21-1-2-3-1002 plants files.
const SecurityId kRunningAccount = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,
                                    0xE9, 3, 0, 0};
const SecurityId kOtherAccount = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,
                                  0xEA, 3, 0, 0};

}  // namespace

ExistingFile MemoryLogPlatform::Describe(const std::u16string& path) {
    const auto [index, added] = m_fileIndices.try_emplace(path, m_fileIndices.size() + 1);
    const SecurityId& owner = plantedFiles.contains(path) ? kOtherAccount : kRunningAccount;
    return {true, false, false, 1, ownersUnreadable ? SecurityId() : owner, {0x1234, index->second}};
}

bool MemoryLogPlatform::IsFreeOrTrusted(const std::u16string& path) {
    return !Exists(path) || MayAppendTo(Describe(path), kRunningAccount);
}

AppendResult MemoryLogPlatform::Open(const std::u16string& path, WrittenFile& written) {
    if (!Exists(path)) {
        files[path];
        written = Describe(path);
        return AppendResult::Written;
    }
    const ExistingFile found = Describe(path);
    if (!MayAppendTo(found, written, kRunningAccount)) {
        return AppendResult::Untrusted;
    }
    if (filesInUse[path] > 0) {
        --filesInUse[path];
        return AppendResult::InUse;
    }
    written = written.value_or(found);
    return AppendResult::Written;
}

AppendResult MemoryLogPlatform::AppendToFile(const std::u16string& path, std::string_view bytes,
                                             WrittenFile& written) {
    ++appendCalls;
    if (failingAppends > 0) {
        --failingAppends;
        return AppendResult::Failed;
    }
    const AppendResult opened = Open(path, written);
    if (opened == AppendResult::Written) {
        files[path].append(bytes);
    }
    return opened;
}

AppendResult MemoryLogPlatform::AppendWhole(const std::u16string& path, std::string_view newFileStart,
                                            std::string_view bytes, WrittenFile& written) {
    if (wholeAppendsLeft == 0 && fileTakenAfterThem) {
        plantedFiles.insert(path);
    } else if (path.empty() || wholeAppendsLeft == 0 ||
               (!failingDirectory.empty() && path.starts_with(failingDirectory))) {
        return AppendResult::Failed;
    }
    const AppendResult opened = Open(path, written);
    if (opened != AppendResult::Written) {
        return opened;
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
