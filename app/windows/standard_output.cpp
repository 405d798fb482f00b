#include "app/windows/standard_output.h"

#include <windows.h>

#include <string>

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

bool WriteStandardOutput(std::wstring_view text) {
    std::wstring lines;
    for (const wchar_t ch : text) {
        if (ch == L'\n' && (lines.empty() || lines.back() != L'\r')) {
            lines += L'\r';
        }
        lines += ch;
    }
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return false;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), bytes.data(), size, nullptr, nullptr);
    return WriteStandardOutputBytes(bytes);
}

}  // namespace halvorn
