#include "ui/display_scaling.h"

#include <cstdint>

namespace halvorn {

int MulDivRounded(int number, int numerator, int denominator) {
    const std::int64_t product = std::int64_t{number} * numerator;
    const std::int64_t half = (product < 0 ? -denominator : denominator) / 2;
    return static_cast<int>((product + half) / denominator);
}

PixelRect DialogUnitsToPixels(const DialogUnitRect& rect, int baseUnitX, int baseUnitY) {
    const auto horizontal = [baseUnitX](int units) { return MulDivRounded(units, baseUnitX, 4); };
    const auto vertical = [baseUnitY](int units) { return MulDivRounded(units, baseUnitY, 8); };
    return {horizontal(rect.x), vertical(rect.y), horizontal(rect.x + rect.width), vertical(rect.y + rect.height)};
}

}  // namespace halvorn
