#pragma once

namespace halvorn {

// The character height in device pixels of a font of tenthsOfPoint (140 is 14 points) on a
// display of dotsPerInch, rounded to the nearest pixel as MulDiv rounds.
int FontPixelHeight(int tenthsOfPoint, int dotsPerInch);

}  // namespace halvorn
