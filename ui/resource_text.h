#pragma once

#include <windows.h>

#include <string>

namespace halvorn {

// The program's own module, which holds every resource of the wizard.
HINSTANCE ProgramModule();

// A string of the program's string table; empty when it cannot be loaded.
std::wstring LoadResourceString(UINT id);

}  // namespace halvorn
