#include "ui/centring.h"

namespace halvorn {

namespace {

// A window larger than the area keeps its near edge inside it.
int Clamp(int position, int size, int areaStart, int areaEnd) {
    if (position < areaStart) {
        return areaStart;
    }
    if (position + size > areaEnd) {
        return areaEnd - size;
    }
    return position;
}

}  // namespace

ScreenPoint CentredPosition(const ScreenRect& reference, const ScreenRect& workArea, int width, int height) {
    const int x = (reference.left + reference.right) / 2 - width / 2;
    const int y = (reference.top + reference.bottom) / 2 - height / 2;
    return {Clamp(x, width, workArea.left, workArea.right), Clamp(y, height, workArea.top, workArea.bottom)};
}

}  // namespace halvorn
