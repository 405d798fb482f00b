#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/registry/registry.h"

namespace halvorn {

// One key of a registry editor export: its key line and the values listed under it.
struct RegFileKey {
    std::u16string path;   // relative to HKEY_LOCAL_MACHINE
    std::size_t line = 0;  // of the key line, counted from 1
    std::vector<RegistryValue> values;
};

// Reads the bytes of a backup as the tool writes them, one key at a time: UTF-16LE after its
// byte-order mark, the export header, then key lines below HKEY_LOCAL_MACHINE, each followed by
// its value lines, with hex data continued over lines. Every value comes back with the type and the
// bytes that the line stands for. A deletion entry ("[-KEY]", "name"=-), another root, an escape
// that the export does not write, and any line that is none of these is a fault. Only the line in
// hand and the key being read are held besides the bytes, which must outlive the reader.
class RegFileReader {
public:
    explicit RegFileReader(std::string_view bytes);

    // The next key with all its values; false at the end of the file and at the first fault.
    bool Next(RegFileKey& key);

    // The line at fault, counted from 1, and why; 0 while there is none.
    std::size_t FaultLine() const { return m_faultLine; }
    std::u16string_view Fault() const { return m_fault; }

private:
    // The next line without its line break, valid until the next call.
    std::optional<std::u16string_view> NextLine();
    bool TakePending(RegFileKey& key);
    void SetFault(std::u16string_view fault);
    // Empty when the line was read.
    std::u16string_view ReadKeyLine(std::u16string_view line);
    std::u16string_view ReadValueLines(std::u16string_view line);
    static bool ReadData(std::u16string_view data, RegistryValue& value);

    std::string_view m_bytes;
    std::size_t m_at = 0;
    std::size_t m_lineNumber = 0;
    std::u16string m_line;
    std::optional<RegFileKey> m_pending;  // the key whose value lines are being read
    std::size_t m_faultLine = 0;
    std::u16string_view m_fault;
};

}  // namespace halvorn
