#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "log/windows_text.h"

namespace halvorn {

// The text of a window, such as a control of a page.
std::wstring WindowText(HWND window);

// The program's own module, which holds every resource of the wizard.
HINSTANCE ProgramModule();

// A string of the program's string table; empty when it cannot be loaded.
std::wstring LoadResourceString(UINT id);

}  // namespace halvorn
