#include "ui/resource_text.h"

namespace halvorn {

HINSTANCE ProgramModule() { return GetModuleHandleW(nullptr); }

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // A zero buffer size asks for a read-only pointer into the resource itself.
    const int length = LoadStringW(ProgramModule(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

}  // namespace halvorn
