#include "tests/support/memory_log_platform.h"

#include <new>

#include <stdexcept>

namespace halvorn::testing {

namespace {

// The system account runs the program; S-1-5-7, anonymous logons, stands for every other account.
const SecurityId kOtherAccount = {1, 1, 0, 0, 0, 0, 0, 5, 7, 0, 0, 0};

Sha256Digest DigestOf(std::string_view bytes) {
    Sha256 digest;
    digest.Add(bytes);
    return digest.Digest();
}

}  // namespace

NameHolder MemoryLogPlatform::WhatHolds(const std::u16string& path) {
    if (plantedFiles.contains(path)) {
        return NameHolder::OtherFile;
    }
    return files.contains(path) ? NameHolder::TrustedFile : NameHolder::Nothing;
}

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
                                            std::string_view bytes, WrittenFile& written, Sha256& content,
                                            const std::optional<Sha256Digest>& recorded) {
    if (path.empty() || wholeAppendsLeft == 0 || (!failingDirectory.empty() && path.starts_with(failingDirectory))) {
        return AppendResult::Failed;
    }
    const bool found = Exists(path) && !written;
    const AppendResult opened = Open(path, written);
    if (opened != AppendResult::Written) {
        return opened;
    }
    std::string& file = files[path];
    if (found) {
        if (recorded != DigestOf(file)) {
            written.reset();
            return AppendResult::Untrusted;
        }
        content = {};
        content.Add(file);
    }
    if (file.size() != content.Length()) {
        return AppendResult::Untrusted;
    }
    if (wholeAppendsLeft > 0) {
        --wholeAppendsLeft;
    }
    if (file.empty()) {
        file = newFileStart;
        content.Add(newFileStart);
    }
    file += bytes;
    content.Add(bytes);
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
    if (readsRunOutOfMemory) {
        throw std::bad_alloc();
    }
    if (const std::u16string_view notLocal = DriveOfPath(path).whyNot; !notLocal.empty()) {
        return {BackupReading::Unreadable, {}, notLocal};
    }
    if (!Exists(path)) {
        return {BackupReading::Unreadable, {}, u"it does not exist"};
    }
    // The run's own files let only the system account and Administrators change them.
    const FileWriters writers = {false, plantedFiles.contains(path)
                                            ? std::vector<SecurityId>{kOtherAccount}
                                            : std::vector<SecurityId>{LocalSystemAccount(), AdministratorsAlias()}};
    return {BackupReading::Read, files[path], {}, Describe(path), writers};
}

std::optional<Sha256Digest> MemoryLogPlatform::Find(const std::u16string& path) {
    const auto found = records.find(path);
    return found != records.end() ? std::optional(found->second) : std::nullopt;
}

std::vector<std::u16string> MemoryLogPlatform::Paths() {
    std::vector<std::u16string> paths;
    for (const auto& [path, digest] : records) {
        paths.push_back(path);
    }
    return paths;
}

bool MemoryLogPlatform::Record(const std::u16string& path, const Sha256Digest& digest) {
    records[path] = digest;
    return true;
}

void MemoryLogPlatform::PruneGone() {
    std::erase_if(records, [this](const auto& record) {
        return !Exists(record.first) || !DriveOfPath(record.first).whyNot.empty();
    });
}

void MemoryLogPlatform::RecordAsItIs(const std::u16string& path) { records[path] = DigestOf(files.at(path)); }

std::string MemoryLogPlatform::OnlyFile() const {
    if (files.size() > 1) {
        throw std::logic_error("more than one log file was written");
    }
    return files.empty() ? std::string() : files.begin()->second;
}

}  // namespace halvorn::testing
