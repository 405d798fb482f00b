#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace halvorn {

// UTF-16 text of the platform-free code for a window, copied unit by unit.
inline std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// The text of a window, such as a control of a page.
std::wstring WindowText(HWND window);

// The program's own module, which holds every resource of the wizard.
HINSTANCE ProgramModule();

// A string of the program's string table; empty when it cannot be loaded.
std::wstring LoadResourceString(UINT id);

}  // namespace halvorn
