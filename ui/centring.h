#pragma once

#include "ui/display_scaling.h"

namespace halvorn {

// A rectangle in screen coordinates.
using ScreenRect = PixelRect;

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// Where a window of the given size goes to stand centred on reference, moved back inside the
// work area where it would cross its left or right, top or bottom edge.
ScreenPoint CentredPosition(const ScreenRect& reference, const ScreenRect& workArea, int width, int height);

}  // namespace halvorn
