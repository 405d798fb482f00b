#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "log/file_trust.h"
#include "log/sha256.h"

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

// What became of an append to one of the run's files.
enum class AppendResult {
    Written,
    Failed,     // the file could not be opened or written; it is as it was
    Untrusted,  // a file that this program cannot have made holds the name; it is left untouched
    InUse,      // a file that the run may write holds the name, but another process has it open
                // without sharing it (another run in the same second, while it writes)
};

// What holds one of the run's names, as far as it helps to choose one.
enum class NameHolder {
    Nothing,
    TrustedFile,  // a file that MayAppendTo trusts
    OtherFile,
};

// What the log needs from the operating system.
//
// Both appends create a file new, owned by Administrators where the token allows it, which only
// the system account and Administrators may change and the running account may read, whatever the
// folder would pass on. Where the name exists already, they append only to a file that MayAppendTo
// trusts, given what written holds, judged through the handle that writes (or, where another
// process shuts that out, through one that share modes do not block). written records the file
// that the first write there found or made.
class LogPlatform {
public:
    virtual ~LogPlatform() = default;

    // The temporary directory with its trailing separator, or empty when it is unknown. For the
    // system account it is the system's own, which other users cannot open, where Windows names one
    // and it exists.
    virtual std::u16string TemporaryDirectory() = 0;

    virtual LocalTime Now() = 0;

    // What holds path. It only helps to choose a name: every append checks again through its handle.
    virtual NameHolder WhatHolds(const std::u16string& path) = 0;

    // Appends bytes to the file at path while other processes may read and write it.
    virtual AppendResult AppendToFile(const std::u16string& path, std::string_view bytes, WrittenFile& written) = 0;

    // Appends bytes to the file at path as one whole, and has them on the disk before it returns
    // Written; an empty file receives newFileStart first. Other processes may read the file
    // meanwhile but not write it. On failure the file is left as it was, and a file that this call
    // created is removed again.
    //
    // content is the digest of the file's bytes as the run knows them, brought up to date with what
    // the call appends. A file that the first write finds rather than makes is appended to only
    // when recorded is the SHA-256 of its present bytes, from which content then goes on; a file
    // that no longer has content's length has been written by another: Untrusted.
    virtual AppendResult AppendWhole(const std::u16string& path, std::string_view newFileStart,
                                     std::string_view bytes, WrittenFile& written, Sha256& content,
                                     const std::optional<Sha256Digest>& recorded) = 0;

    // Waits before an append that met a file in use is tried again.
    virtual void Pause(std::uint32_t milliseconds) = 0;
};

}  // namespace halvorn
