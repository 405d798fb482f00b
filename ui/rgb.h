#pragma once

#include <cstdint>

namespace halvorn {

// A colour as red, green and blue levels.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

}  // namespace halvorn
