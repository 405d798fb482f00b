#include "app/windows/standard_output.h"

#include <windows.h>

#include <string>

#include "log/json_text.h"

namespace halvorn {

bool WriteStandardOutputBytes(std::string_view bytes) {
    // Not this program's handle to close: it belongs to the process, as long as it runs.
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE || bytes.size() > MAXDWORD) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool WriteStandardOutput(std::u16string_view text) {
    std::u16string lines;
    for (const char16_t ch : text) {
        if (ch == u'\n' && (lines.empty() || lines.back() != u'\r')) {
            lines += u'\r';
        }
        lines += ch;
    }
    std::string bytes;
    AppendUtf8(bytes, lines);
    return WriteStandardOutputBytes(bytes);
}

}  // namespace halvorn
