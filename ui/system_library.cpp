#include "ui/system_library.h"

#include <string>

namespace halvorn {

SystemLibrary::SystemLibrary(const wchar_t* name) {
    const UINT needed = GetSystemDirectoryW(nullptr, 0);
    if (needed == 0) {
        return;
    }
    std::wstring path(needed, L'\0');
    const UINT length = GetSystemDirectoryW(path.data(), needed);
    if (length == 0 || length >= needed) {
        return;
    }
    path.resize(length);
    m_module = LoadLibraryW((path + L'\\' + name).c_str());
}

SystemLibrary::~SystemLibrary() {
    if (m_module != nullptr) {
        FreeLibrary(m_module);
    }
}

}  // namespace halvorn
