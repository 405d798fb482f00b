#pragma once

#include <string>
#include <string_view>

// Text at the Windows boundary: the program's text is UTF-16 in char16_t, the Windows API's in
// wchar_t, which is as wide there but another type. Copied unit by unit, never cast: one pointer
// type must not alias the other.
namespace halvorn {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

inline std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

inline std::u16string FromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace halvorn
