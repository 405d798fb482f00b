#pragma once

#include <string_view>

namespace halvorn {

// Writes text to the process's standard output where it has one, in UTF-8 without a byte-order
// mark and with CR LF at every line end, in one write. A program without a console has a standard
// output only when whoever started it handed it one, a pipe or a file; false where there is none or
// the write fails.
bool WriteStandardOutput(std::u16string_view text);

// The same for bytes that are UTF-8 with their line ends already.
bool WriteStandardOutputBytes(std::string_view bytes);

}  // namespace halvorn
