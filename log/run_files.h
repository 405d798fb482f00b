#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "log/backup_records.h"
#include "log/log_platform.h"

namespace halvorn {

// The run's two files, its log and the backup of the trees it deletes, under one name:
// "<name>.log" and "<name>.reg". A name that a file this program cannot have made already holds
// is left to that file: both files then move on together to the first name with a counter,
// "<name> (2).log" and "<name> (2).reg", and so on up to " (100)", where neither is such a file.
// The log lines written so far move with them, so a backup always lies beside its whole log, and
// names planted in a shared folder can neither redirect the run nor stop it. Once the backup holds
// a tree, the name stays: where its file is then no longer the run's own, the backup takes no more
// trees, and each one after stays in the registry.
//
// With a record, each tree appended to the backup is followed by the SHA-256 of the whole file in
// the record, and a backup that an earlier run left under the name is added to only where the
// record vouches for its present bytes; without one, any file under the backup's name is another's.
class RunFiles {
public:
    // The names with a counter that a run tries, after the one without.
    static constexpr std::uint32_t kLastCounter = 100;

    // name: the directory and the file name without its extension; empty when there is none, and
    // then nothing is ever written.
    RunFiles(LogPlatform& platform, std::u16string name);
    RunFiles(const RunFiles&) = delete;
    RunFiles& operator=(const RunFiles&) = delete;

    // Names both files anew, before anything is written under the old name: for a folder that the
    // command line chose.
    void Rename(std::u16string name);

    // Where the backup is recorded from now on; null for no record. The first tree that this
    // process appends also prunes the record of backups that are gone.
    void RecordBackupIn(BackupRecords* records) { m_records = records; }

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
    bool HasBackup() const { return m_backupHoldsTrees; }

    // The backup holds trees of this run, but its file is no longer the run's own (another file
    // holds the name, or it failed the trust rule): nothing more is appended to it.
    bool BackupLost() const { return m_backupLost; }

private:
    template <typename Append>
    AppendResult AppendMovingOn(Append append);
    // Tries again, for a moment, an append that met a file that another run is writing.
    template <typename Append>
    AppendResult AppendWaitingForOthers(Append append);
    // Before the first write: the first name under which neither file is untrusted, so that a name
    // planted beforehand leaves no part of the log behind.
    bool ChooseName();
    // False, with no name left, when the last counter has been tried.
    bool MoveOn();
    // Names both files after the name and the counter.
    void NamePaths();
    // Whether the run may write its file under path, as far as a look by name tells.
    bool MayTakeName(const std::u16string& path, bool backup);
    void RecordBackup();

    LogPlatform& m_platform;
    std::u16string m_name;
    std::uint32_t m_counter = 1;
    std::u16string m_logPath;
    std::u16string m_backupPath;
    // The files that the run has written under the present name.
    WrittenFile m_logFile;
    WrittenFile m_backupFile;
    // The digest of the backup's bytes under the present name, as far as the run has appended them.
    Sha256 m_backupContent;
    BackupRecords* m_records = nullptr;
    bool m_recordsPruned = false;
    // The lines that this process has written to the log under the present name.
    std::string m_logBytes;
    bool m_logMustMove = false;
    bool m_nameChosen = false;
    bool m_backupHoldsTrees = false;
    bool m_backupLost = false;
};

}  // namespace halvorn
