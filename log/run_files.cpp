#include "log/run_files.h"

#include <limits>

#include "log/text_format.h"

namespace halvorn {

RunFiles::RunFiles(LogPlatform& platform, std::u16string name)
    : m_platform(platform), m_name(std::move(name)) {
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
    if (m_counter == std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    ++m_counter;
    NamePaths();
    m_logMustMove = !m_logBytes.empty();
    return true;
}

bool RunFiles::ChooseName() {
    while (!m_platform.IsFreeOrTrusted(LogPath()) || !m_platform.IsFreeOrTrusted(BackupPath())) {
        if (!MoveOn()) {
            return false;
        }
    }
    m_nameChosen = true;
    return true;
}

// Every append goes through here, so that any untrusted name moves both files.
template <typename Append>
bool RunFiles::AppendMovingOn(Append append) {
    if (m_name.empty() || (!m_nameChosen && !ChooseName())) {
        return false;
    }
    for (;;) {
        if (m_logMustMove) {
            const AppendResult moved = m_platform.AppendToFile(LogPath(), m_logBytes);
            if (moved == AppendResult::Untrusted) {
                if (!MoveOn()) {
                    return false;
                }
                continue;
            }
            // Lines that cannot be written under the new name are lost, as any failed line is.
            m_logMustMove = false;
            if (moved == AppendResult::Failed) {
                m_logBytes.clear();
            }
        }
        const AppendResult result = append();
        if (result != AppendResult::Untrusted) {
            return result == AppendResult::Written;
        }
        if (!MoveOn()) {
            return false;
        }
    }
}

bool RunFiles::AppendToLog(std::string_view bytes) {
    const bool written = AppendMovingOn([&] { return m_platform.AppendToFile(LogPath(), bytes); });
    if (written) {
        m_logBytes += bytes;
    }
    return written;
}

bool RunFiles::AppendToBackup(std::string_view newFileStart, std::string_view bytes) {
    const bool written = AppendMovingOn([&] { return m_platform.AppendWhole(BackupPath(), newFileStart, bytes); });
    m_backupWritten = m_backupWritten || written;
    return written;
}

}  // namespace halvorn
