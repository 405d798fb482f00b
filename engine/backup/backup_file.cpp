#include "engine/backup/backup_file.h"

#include "engine/backup/reg_file_format.h"

namespace halvorn {

namespace {

constexpr std::u16string_view kExportEnd = u"\r\n";
constexpr char kByteOrderMark[] = "\xFF\xFE";  // UTF-16LE

}  // namespace

BackupFile::BackupFile(RunFiles& files) : m_files(files) {}

bool BackupFile::Append(std::u16string_view treeText) {
    // Without a name there is no place beside the log, and nothing may be deleted unsaved.
    const std::string fileStart = std::string(kByteOrderMark) + EncodeUtf16Le(kRegFileHeader);
    const std::string tree = EncodeUtf16Le(treeText) + EncodeUtf16Le(kExportEnd);
    return m_files.AppendToBackup(fileStart, tree) && (m_copy == nullptr || m_copy->AppendToBackup(fileStart, tree));
}

std::u16string BackupFile::LostPath() const {
    for (const RunFiles* files : {&m_files, m_copy}) {
        if (files != nullptr && files->BackupLost()) {
            return files->BackupPath();
        }
    }
    return {};
}

}  // namespace halvorn
