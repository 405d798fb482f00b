#pragma once

#include <string>
#include <string_view>

#include "log/log_platform.h"

namespace halvorn {

// The file that receives every tree before the run deletes it: a registry editor export, so that
// "reg import" of the file restores what the run deleted. It comes into being with the first tree
// and lies beside the log under the log's name.
class BackupFile {
public:
    BackupFile(LogPlatform& platform, std::u16string path);
    BackupFile(const BackupFile&) = delete;
    BackupFile& operator=(const BackupFile&) = delete;

    // The log's path with ".reg" in place of ".log"; empty for an empty path.
    static std::u16string PathBesideLog(std::u16string_view logPath);

    const std::u16string& Path() const { return m_path; }

    // Appends the key and value lines of one tree, followed by the blank line that ends an export,
    // so that the file reads as the exports of its trees one after another under a single header.
    // A new file starts with the byte-order mark and the header. All or nothing: false when the
    // tree could not be written whole, and the file is then as it was.
    bool Append(std::u16string_view treeText);

private:
    LogPlatform& m_platform;
    std::u16string m_path;
};

}  // namespace halvorn
