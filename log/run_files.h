#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "log/log_platform.h"

namespace halvorn {

// The run's two files, its log and the backup of the trees it deletes, under one name:
// "<name>.log" and "<name>.reg". A name that a file this program cannot have made already holds
// is left to that file: both files then move on together to the first name with a counter,
// "<name> (2).log" and "<name> (2).reg", and so on, where neither is such a file. The log lines
// written so far move with them, so a backup always lies beside its whole log, and names planted
// in a shared folder can neither redirect the run nor stop it.
class RunFiles {
public:
    // name: the directory and the file name without its extension; empty when there is none, and
    // then nothing is ever written.
    RunFiles(LogPlatform& platform, std::u16string name);
    RunFiles(const RunFiles&) = delete;
    RunFiles& operator=(const RunFiles&) = delete;

    // Empty when there is no name.
    const std::u16string& LogPath() const { return m_logPath; }
    const std::u16string& BackupPath() const { return m_backupPath; }

    // The log's lines that this process has written under the present name.
    const std::string& LogText() const { return m_logBytes; }

    // One line of the log, appended on its own. False when it is lost.
    bool AppendToLog(std::string_view bytes);

    // Part of the backup, appended whole and on the disk, or not at all; a new backup starts with
    // newFileStart.
    bool AppendToBackup(std::string_view newFileStart, std::string_view bytes);
    // Whether this process has appended to the backup.
    bool HasBackup() const { return m_backupWritten; }

private:
    template <typename Append>
    bool AppendMovingOn(Append append);
    // Before the first write: the first name under which neither file is untrusted, so that a name
    // planted beforehand leaves no part of the log behind.
    bool ChooseName();
    // False when no further name is left.
    bool MoveOn();
    // Names both files after the name and the counter.
    void NamePaths();

    LogPlatform& m_platform;
    std::u16string m_name;
    std::uint32_t m_counter = 1;
    std::u16string m_logPath;
    std::u16string m_backupPath;
    // The lines that this process has written to the log under the present name.
    std::string m_logBytes;
    bool m_logMustMove = false;
    bool m_nameChosen = false;
    bool m_backupWritten = false;
};

}  // namespace halvorn
