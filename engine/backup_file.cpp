#include "engine/backup_file.h"

#include "engine/reg_file_format.h"

namespace halvorn {

namespace {

constexpr std::u16string_view kLogExtension = u".log";
constexpr std::u16string_view kBackupExtension = u".reg";
constexpr std::u16string_view kExportEnd = u"\r\n";
constexpr char kByteOrderMark[] = "\xFF\xFE";  // UTF-16LE

}  // namespace

BackupFile::BackupFile(LogPlatform& platform, std::u16string path)
    : m_platform(platform), m_path(std::move(path)) {}

std::u16string BackupFile::PathBesideLog(std::u16string_view logPath) {
    if (logPath.empty()) {
        return {};
    }
    if (logPath.ends_with(kLogExtension)) {
        logPath.remove_suffix(kLogExtension.size());
    }
    return std::u16string(logPath) + std::u16string(kBackupExtension);
}

bool BackupFile::Append(std::u16string_view treeText) {
    // Without a log path there is no place beside it, and nothing may be deleted unsaved.
    if (m_path.empty()) {
        return false;
    }
    return m_platform.AppendWhole(m_path, std::string(kByteOrderMark) + EncodeUtf16Le(kRegFileHeader),
                                  EncodeUtf16Le(treeText) + EncodeUtf16Le(kExportEnd));
}

}  // namespace halvorn
