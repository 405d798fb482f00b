#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace halvorn::testing {

// Text as the registry stores a string value and as the backup file holds it: UTF-16LE. A
// terminator is part of the data only when text holds one.
inline std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

inline std::u16string DecodeUtf16Le(std::string_view bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                      static_cast<std::uint8_t>(bytes[i + 1]) << 8);
    }
    return text;
}

}  // namespace halvorn::testing
