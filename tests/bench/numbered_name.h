#pragma once

#include <string>

namespace halvorn::bench {

// stem followed by number in decimal: NumberedName(u"Device", 7) is "Device7".
inline std::u16string NumberedName(std::u16string_view stem, int number) {
    std::u16string name(stem);
    for (const char ch : std::to_string(number)) {
        name.push_back(static_cast<char16_t>(ch));
    }
    return name;
}

}  // namespace halvorn::bench
