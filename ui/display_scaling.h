#pragma once

namespace halvorn {

// The display's dots per inch at 100 % scaling, at which the wizard's pictures and indicator were
// drawn.
inline constexpr int kStandardDpi = 96;

// number * numerator / denominator rounded to the nearest integer, halves away from zero, as
// MulDiv rounds; denominator must be positive.
int MulDivRounded(int number, int numerator, int denominator);

// A length of pixels at 96 DPI, at dotsPerInch.
inline int ScaleFromStandardDpi(int pixels, int dotsPerInch) {
    return MulDivRounded(pixels, dotsPerInch, kStandardDpi);
}

// A control's place in a dialog template, in dialog units.
struct DialogUnitRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A rectangle of pixels; right and bottom lie just outside it.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// The pixels of a template rectangle on a dialog whose font makes 4 horizontal dialog units
// baseUnitX pixels and 8 vertical ones baseUnitY pixels. Each edge is mapped on its own, as
// MapDialogRect maps them, so the width can differ by one from the width mapped alone.
PixelRect DialogUnitsToPixels(const DialogUnitRect& rect, int baseUnitX, int baseUnitY);

}  // namespace halvorn
