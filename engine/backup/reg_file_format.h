#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/registry/registry.h"

// The text of a registry editor export, version 5.00, as the system's own "reg export" writes it,
// so that "reg import" restores exactly what it describes.
namespace halvorn {

// The first line of every export; the file holds it once, after its byte-order mark.
inline constexpr std::u16string_view kRegFileHeader = u"Windows Registry Editor Version 5.00\r\n";

// A blank line, then "[HKEY_LOCAL_MACHINE\keyPath]", for keyPath relative to HKEY_LOCAL_MACHINE.
// False, with nothing appended, when a name in the path holds a character that the line cannot
// carry (a line break or a NUL): import would read a broken line as other keys and values.
bool AppendRegKeyLine(std::u16string& text, std::u16string_view keyPath);

// The value's line, with long hex data wrapped over continuation lines. A string is quoted only
// when quoting gives back the same bytes on import; other data is written as hex. False, with
// nothing appended, when the value's name holds a character that a line cannot carry (a line
// break or a NUL).
bool AppendRegValueLines(std::u16string& text, const RegistryValue& value);

// The text as the file holds it: UTF-16LE, no byte-order mark.
std::string EncodeUtf16Le(std::u16string_view text);

// The data that the registry stores for a string value of text: UTF-16LE with its terminator.
std::vector<std::uint8_t> StringValueData(std::u16string_view text);

}  // namespace halvorn
