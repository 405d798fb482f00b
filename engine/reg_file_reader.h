#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/registry.h"

namespace halvorn {

// One key of a registry editor export: its key line and the values listed under it.
struct RegFileKey {
    std::u16string path;   // relative to HKEY_LOCAL_MACHINE
    std::size_t line = 0;  // of the key line, counted from 1
    std::vector<RegistryValue> values;
};

// The keys of a file, or the first line that is not what the tool writes, and why.
struct RegFileContent {
    std::vector<RegFileKey> keys;
    std::size_t faultLine = 0;  // 0 when the whole file was read
    std::u16string_view fault;
};

// Reads the bytes of a backup as the tool writes them: UTF-16LE after its byte-order mark, the
// export header, then key lines below HKEY_LOCAL_MACHINE, each followed by its value lines, with
// hex data continued over lines. Every value comes back with the type and the bytes that the line
// stands for. A deletion entry ("[-KEY]", "name"=-), another root, an escape that the export does
// not write, and any line that is none of these is a fault.
RegFileContent ReadRegFile(std::string_view bytes);

}  // namespace halvorn
