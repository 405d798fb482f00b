#include "tests/support/memory_log_platform.h"

#include <stdexcept>

namespace halvorn::testing {

namespace {

// The system account runs the program; S-1-5-7, anonymous logons, stands for every other account.
const SecurityId kOtherAccount = {1, 1, 0, 0, 0, 0, 0, 5, 7, 0, 0, 0};

}  // namespace

ExistingFile MemoryLogPlatform::Describe(const std::u16string& path) {
    const SecurityId owner = plantedFiles.contains(path) ? kOtherAccount : LocalSystemAccount();
    const FileIdentity identity{0x1234, std::hash<std::u16string>{}(path)};
    return {true, false, false, 1, ownersUnreadable ? SecurityId() : owner, identity};
}

AppendResult MemoryLogPlatform::Open(const std::u16string& path, WrittenFile& written) {
    if (!Exists(path)) {
        files[path];
        written = Describe(path);
        return AppendResult::Written;
    }
    const ExistingFile found = Describe(path);
    if (!MayAppendTo(found, written, LocalSystemAccount())) {
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
    if (path.empty() || wholeAppendsLeft == 0 || (!failingDirectory.empty() && path.starts_with(failingDirectory))) {
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
    if (!Exists(path)) {
        return {BackupReading::Unreadable, {}, u"it cannot be opened"};
    }
    const std::u16string_view why = WhyNotToRestoreFrom(Describe(path), {}, LocalSystemAccount());
    return why.empty() ? BackupRead{BackupReading::Read, files[path], {}} : BackupRead{BackupReading::Untrusted, {}, why};
}

std::string MemoryLogPlatform::OnlyFile() const {
    if (files.size() > 1) {
        throw std::logic_error("more than one log file was written");
    }
    return files.empty() ? std::string() : files.begin()->second;
}

}  // namespace halvorn::testing
