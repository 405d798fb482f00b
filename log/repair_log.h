#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "log/log_platform.h"
#include "log/run_files.h"
#include "log/text_format.h"

namespace halvorn {

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

    // Formats one line ("%s" text, "%d" signed 32-bit integer) and appends it. Always true: a
    // line that cannot be written is dropped silently.
    template <typename... Args>
    bool WriteLine(std::u16string_view format, const Args&... args) {
        WriteText(FormatText(format, {FormatArgument(args)...}));
        return true;
    }

    // The banner, the date line and the version line, each written on its own.
    void WriteHeader();

private:
    friend class TraceScope;

    void WriteText(std::u16string_view text);

    LogPlatform& m_platform;
    RunFiles m_files;
    // Zero until the first trace scope of the run has asked for the header.
    std::int32_t m_lineSequence = 0;
};

}  // namespace halvorn
