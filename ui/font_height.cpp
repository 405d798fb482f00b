#include "ui/font_height.h"

#include <cstdint>

namespace halvorn {

int FontPixelHeight(int tenthsOfPoint, int dotsPerInch) {
    // A point is 1/72 inch; halves round away from zero.
    constexpr std::int64_t kTenthsPerInch = 720;
    const std::int64_t product = std::int64_t{tenthsOfPoint} * dotsPerInch;
    const std::int64_t half = product < 0 ? -kTenthsPerInch / 2 : kTenthsPerInch / 2;
    return static_cast<int>((product + half) / kTenthsPerInch);
}

}  // namespace halvorn
