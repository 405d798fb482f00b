#pragma once

#include <windows.h>

#include "ui/display_scaling.h"
#include "ui/gdi_handles.h"

namespace halvorn {

// The display's dots per inch as a program that declares itself DPI-aware sees them: 96 at 100 %
// scaling, 144 at 150 %.
inline int ScreenDpi() {
    const WindowDc screen(nullptr);
    return screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : kStandardDpi;
}

}  // namespace halvorn
