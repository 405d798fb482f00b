#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace halvorn {

// Local date and time, as the clock of the machine shows it.
struct LocalTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;      // 1 to 12
    std::uint16_t dayOfWeek = 0;  // 0 (Sunday) to 6
    std::uint16_t day = 0;        // 1 to 31
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
};

// What the log needs from the operating system.
class LogPlatform {
public:
    virtual ~LogPlatform() = default;

    // The user's temporary directory with its trailing separator, or empty when it is unknown.
    virtual std::u16string TemporaryDirectory() = 0;

    virtual LocalTime Now() = 0;

    // Appends bytes to the file at path, creating it if it does not exist, while other processes
    // may read and write it. False when the file cannot be opened or written.
    virtual bool AppendToFile(const std::u16string& path, std::string_view bytes) = 0;

    // Appends bytes to the file at path as one whole, creating the file if it does not exist; an
    // empty file receives newFileStart first. Other processes may read the file meanwhile but not
    // write it. On failure the file is left as it was, and a file that this call created is
    // removed again.
    virtual bool AppendWhole(const std::u16string& path, std::string_view newFileStart,
                             std::string_view bytes) = 0;
};

}  // namespace halvorn
