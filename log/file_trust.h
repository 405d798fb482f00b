#pragma once

#include <cstdint>

#include "log/security_id.h"

namespace halvorn {

// What a file that already holds one of the run's names turned out to be, read through the handle
// that would write to it (never looked up by name first, which another account could change
// between the look and the write).
struct ExistingFile {
    bool diskFile = false;      // not a pipe, a console or another device
    bool directory = false;
    bool reparsePoint = false;  // a symbolic link, a junction or another redirection, opened as itself
    std::uint32_t linkCount = 0;
    SecurityId owner;           // empty when it could not be read
};

// True when the file can only have come from this program: an earlier run in the same second, by
// this account or by another that administers the machine. Any other account can create files in
// a shared temporary folder under a name it predicts, or link a name there to a file of its
// choosing; a run must then neither append to that file nor write through that link.
bool MayAppendTo(const ExistingFile& file, const SecurityId& runningAccount);

}  // namespace halvorn
