#pragma once

#include <windows.h>

namespace halvorn {

// The answer to WM_GETOBJECT for the indicator's client area: the object that the system makes for
// the window, named by the window's text, but with the role of a progress bar. 0, which leaves the
// request to the system as for a plain window, when no object can be handed over (no COM on this
// thread, or no Active Accessibility on this Windows).
LRESULT IndicatorAccessibleObject(HWND window, WPARAM requestFlags);

}  // namespace halvorn
