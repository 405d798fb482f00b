#include "ui/font_height.h"

#include "ui/display_scaling.h"

namespace halvorn {

int FontPixelHeight(int tenthsOfPoint, int dotsPerInch) {
    // A point is 1/72 inch.
    constexpr int kTenthsPerInch = 720;
    return MulDivRounded(tenthsOfPoint, dotsPerInch, kTenthsPerInch);
}

}  // namespace halvorn
