#pragma once

#include <string>
#include <string_view>

#include "log/run_files.h"

namespace halvorn {

// The file that receives every tree before the run deletes it: a registry editor export, so that
// "reg import" of the file restores what the run deleted. It comes into being with the first tree
// and lies beside the log under the log's name.
class BackupFile {
public:
    explicit BackupFile(RunFiles& files);
    BackupFile(const BackupFile&) = delete;
    BackupFile& operator=(const BackupFile&) = delete;

    const std::u16string& Path() const { return m_files.BackupPath(); }

    // While set, every tree goes to copy's backup too and counts as saved only when both have it:
    // beside an installation's own copy of the log, where its administrator finds it after a
    // restart that loses the temporary folder of a Windows PE.
    void CopyTo(RunFiles* copy) { m_copy = copy; }

    // Appends the key and value lines of one tree, followed by the blank line that ends an export,
    // so that the file reads as the exports of its trees one after another under a single header.
    // A new file starts with the byte-order mark and the header. All or nothing, and on the disk
    // before it returns true: false when the tree could not be written whole, and the file is then
    // as it was.
    bool Append(std::u16string_view treeText);

    // The path of a backup that holds trees of this run but is no longer the run's own file (see
    // RunFiles::BackupLost), so that no further tree can be saved; empty while there is none.
    std::u16string LostPath() const;

private:
    RunFiles& m_files;
    RunFiles* m_copy = nullptr;
};

}  // namespace halvorn
