#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace halvorn::testing {

// The header that a log written through a default MemoryLogPlatform starts with.
inline constexpr char kExpectedHeader[] =
    "\r\n\r\n\t\t\t---- Halvorn Registry Repair Tool  ----\r\n\r\n\r\n"
    "Monday, 07  December  2026   Time: 09:05\r\n"
    "RELEASE Version: 1.0.0.19\r\n";

// The lines of a log file's bytes (CR LF line ends) after the seven lines of its header.
inline std::vector<std::string> LinesAfterHeader(const std::string& bytes) {
    constexpr std::size_t kHeaderLines = 7;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    if (lines.size() < kHeaderLines) {
        return {};
    }
    return {lines.begin() + kHeaderLines, lines.end()};
}

using LogLines = std::vector<std::string>;

inline const std::string kSeparatorLine(51, '=');

// Separator, heading, separator: the three lines that open each root of a control set of the
// hive loaded at HKLM\hive.
inline LogLines SectionLines(const std::string& controlSet, const std::string& root,
                             const std::string& hive = "SYSTEM") {
    return {kSeparatorLine, "HKLM\\" + hive + "\\" + controlSet + "\\" + root, kSeparatorLine};
}

// The four lines that close a run.
inline LogLines SummaryLines(int found, int deleted) {
    return {kSeparatorLine, "Invalid registry keys count\t: " + std::to_string(found),
            "Deleted registry keys count\t: " + std::to_string(deleted), kSeparatorLine};
}

inline LogLines JoinLines(std::initializer_list<LogLines> parts) {
    LogLines all;
    for (const LogLines& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

}  // namespace halvorn::testing
