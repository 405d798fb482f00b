#pragma once

#include <string_view>

// Key and option names compare with only A-Z folded onto a-z: no locale, no other letters.
namespace halvorn {

constexpr char16_t FoldAsciiCase(char16_t ch) {
    return (ch >= u'A' && ch <= u'Z') ? static_cast<char16_t>(ch + (u'a' - u'A')) : ch;
}

constexpr char16_t UpperAsciiCase(char16_t ch) {
    return (ch >= u'a' && ch <= u'z') ? static_cast<char16_t>(ch - (u'a' - u'A')) : ch;
}

constexpr bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr bool StartsWithIgnoringAsciiCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace halvorn
