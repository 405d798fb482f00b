#include "log/run_files.h"

#include "log/text_format.h"

namespace halvorn {

namespace {

// Another run in the same second holds a file without sharing it only while it appends to it: a
// tree of some megabytes, flushed to the disk, takes a fraction of a second.
constexpr int kInUseAttempts = 10;
constexpr std::uint32_t kInUsePauseMilliseconds = 50;

}  // namespace

RunFiles::RunFiles(LogPlatform& platform, std::u16string name)
    : m_platform(platform), m_name(std::move(name)) {
    NamePaths();
}

void RunFiles::Rename(std::u16string name) {
    m_name = std::move(name);
    NamePaths();
}

void RunFiles::NamePaths() {
    if (m_name.empty()) {
        return;
    }
    std::u16string stem = m_name;
    if (m_counter > 1) {
        stem += FormatText(u" (%d)", {static_cast<std::int32_t>(m_counter)});
    }
    m_logPath = stem + u".log";
    m_backupPath = stem + u".reg";
}

bool RunFiles::MoveOn() {
    if (m_counter == kLastCounter) {
        // Without a name nothing more is written, so no tree is deleted unsaved.
        m_name.clear();
        m_logPath.clear();
        m_backupPath.clear();
        return false;
    }
    ++m_counter;
    NamePaths();
    m_logFile.reset();
    m_backupFile.reset();
    m_backupContent = {};
    m_logMustMove = !m_logBytes.empty();
    return true;
}

bool RunFiles::MayTakeName(const std::u16string& path, bool backup) {
    switch (m_platform.WhatHolds(path)) {
    case NameHolder::Nothing:
        return true;
    case NameHolder::TrustedFile:
        // An earlier run's backup is shared only where a record vouches for it; the first append
        // compares the record with the file's bytes.
        return !backup || (m_records != nullptr && m_records->Find(path));
    case NameHolder::OtherFile:
        break;
    }
    return false;
}

bool RunFiles::ChooseName() {
    while (!MayTakeName(LogPath(), false) || !MayTakeName(BackupPath(), true)) {
        if (!MoveOn()) {
            return false;
        }
    }
    m_nameChosen = true;
    return true;
}

template <typename Append>
AppendResult RunFiles::AppendWaitingForOthers(Append append) {
    AppendResult result = append();
    for (int attempt = 1; result == AppendResult::InUse && attempt < kInUseAttempts; ++attempt) {
        m_platform.Pause(kInUsePauseMilliseconds);
        result = append();
    }
    return result == AppendResult::InUse ? AppendResult::Failed : result;
}

// Every append goes through here, so that any untrusted name moves both files.
template <typename Append>
AppendResult RunFiles::AppendMovingOn(Append append) {
    if (m_name.empty() || (!m_nameChosen && !ChooseName())) {
        return AppendResult::Failed;
    }
    for (;;) {
        if (m_logMustMove) {
            const AppendResult moved = AppendWaitingForOthers(
                [&] { return m_platform.AppendToFile(LogPath(), m_logBytes, m_logFile); });
            if (moved == AppendResult::Untrusted) {
                if (!MoveOn()) {
                    return AppendResult::Failed;
                }
                continue;
            }
            // Lines that cannot be written under the new name are lost, as any failed line is.
            m_logMustMove = false;
            if (moved != AppendResult::Written) {
                m_logBytes.clear();
            }
        }
        const AppendResult result = AppendWaitingForOthers(append);
        // A backup that holds trees keeps the log beside it, so the name stays.
        if (result != AppendResult::Untrusted || m_backupHoldsTrees) {
            return result;
        }
        if (!MoveOn()) {
            return AppendResult::Failed;
        }
    }
}

bool RunFiles::AppendToLog(std::string_view bytes) {
    const bool written = AppendMovingOn([&] { return m_platform.AppendToFile(LogPath(), bytes, m_logFile); }) ==
                         AppendResult::Written;
    if (written) {
        m_logBytes += bytes;
    }
    return written;
}

bool RunFiles::AppendToBackup(std::string_view newFileStart, std::string_view bytes) {
    if (m_backupLost) {
        return false;
    }
    const AppendResult result = AppendMovingOn([&] {
        const std::optional<Sha256Digest> recorded =
            !m_backupFile && m_records != nullptr ? m_records->Find(BackupPath()) : std::nullopt;
        return m_platform.AppendWhole(BackupPath(), newFileStart, bytes, m_backupFile, m_backupContent, recorded);
    });
    m_backupLost = m_backupHoldsTrees && result == AppendResult::Untrusted;
    m_backupHoldsTrees = m_backupHoldsTrees || result == AppendResult::Written;
    if (result == AppendResult::Written) {
        RecordBackup();
    }
    return result == AppendResult::Written;
}

void RunFiles::RecordBackup() {
    if (m_records == nullptr) {
        return;
    }
    if (!m_recordsPruned) {
        m_recordsPruned = true;
        m_records->PruneGone();
    }
    // A backup without its record is still judged by its owner and access list.
    m_records->Record(BackupPath(), m_backupContent.Digest());
}

}  // namespace halvorn
