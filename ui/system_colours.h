#pragma once

#include <windows.h>

#include "ui/rgb.h"

namespace halvorn {

inline COLORREF ToColorref(const Rgb& colour) { return RGB(colour.red, colour.green, colour.blue); }

// A colour of the user's theme, such as COLOR_WINDOW.
inline Rgb SystemColour(int index) {
    const COLORREF colour = GetSysColor(index);
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

// Whether the user has chosen a high-contrast theme.
inline bool HighContrastOn() {
    HIGHCONTRASTW settings{};
    settings.cbSize = sizeof(settings);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(settings), &settings, 0) &&
           (settings.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace halvorn
