#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "log/log_platform.h"
#include "log/run_files.h"
#include "log/text_format.h"

namespace halvorn {

// The line that frames each heading and the counts at the end of a run.
inline constexpr std::u16string_view kSeparator = u"===================================================";

// The run's log: a plain single-byte text file in the temporary directory whose name carries the
// time the log was created. Nothing exists on disk until the first line is written, and every
// line is one complete open, append and close, so a line that cannot be written is lost alone.
class RepairLog {
public:
    // The longest text of one line; longer text is cut.
    static constexpr std::size_t kMaxLineLength = 4095;

    explicit RepairLog(LogPlatform& platform);
    RepairLog(const RepairLog&) = delete;
    RepairLog& operator=(const RepairLog&) = delete;

    const std::u16string& Path() const { return m_files.LogPath(); }

    // The log's file and the backup beside it.
    RunFiles& Files() { return m_files; }

    // Puts the log and the backup into directory (which ends in a separator) instead of the
    // temporary directory; before the first line.
    void MoveInto(const std::u16string& directory);

    // Writes the log into directory (which ends in a separator) too, under its own name: the lines
    // written so far, then every later one. The files there, for a backup beside that copy.
    RunFiles& CopyInto(const std::u16string& directory);

    // Formats one line ("%s" text, "%d" signed 32-bit integer) and appends it. A line that cannot
    // be written is dropped silently.
    template <typename... Args>
    void WriteLine(std::u16string_view format, const Args&... args) {
        WriteText(FormatText(format, {FormatArgument(args)...}));
    }

    // Appends complete lines at once, in one open, append and close: for a line about each of
    // thousands of items. Each is cut as WriteLine cuts a line.
    void WriteLines(const std::vector<std::u16string>& lines);

    // The banner, the date line and the version line, each written on its own.
    void WriteHeader();

private:
    friend class TraceScope;

    void WriteText(std::u16string_view text);
    // To the log and to every copy of it.
    void AppendEncoded(const std::string& bytes);

    struct Name;
    RepairLog(LogPlatform& platform, Name name);

    LogPlatform& m_platform;
    // "Brimwell" with the time, without a directory or an extension.
    std::u16string m_fileName;
    RunFiles m_files;
    std::vector<std::unique_ptr<RunFiles>> m_copies;
    // Zero until the first trace scope of the run has asked for the header.
    std::int32_t m_lineSequence = 0;
};

}  // namespace halvorn
