#pragma once

#include <windows.h>

namespace halvorn {

// A DLL of Windows, loaded by its path in the system folder, for as long as the owner lives:
// FreeLibrary. Never looked for beside the program, where whoever may write next to a copy of it
// (a share, a stick, a download folder) could put a DLL of that name for the elevated run to load.
class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name);
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The exported function of that type, or null where the library or the function is missing.
    template <typename Function>
    Function Find(const char* name) const {
        const FARPROC found = m_module != nullptr ? GetProcAddress(m_module, name) : nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
    }

private:
    HMODULE m_module = nullptr;
};

}  // namespace halvorn
