#pragma once

#include <windows.h>

#include "res/resource.h"
#include "ui/display_scaling.h"
#include "ui/gdi_handles.h"

namespace halvorn {

// Where the templates place the pictures' controls.
inline constexpr DialogUnitRect kHeaderPicturePlace{HEADER_PICTURE_RECT};
inline constexpr DialogUnitRect kPagePicturePlace{PAGE_PICTURE_RECT};

// The page's static control that shows a bitmap, or none; the templates give it no identifier.
HWND FindPictureControl(HWND page);

// The picture of a page. Its static control sizes itself to the bitmap that it shows, and the
// bitmap is drawn for 96 DPI, so at a larger scaling the picture would cover only part of its
// place while the dialog around it grows.
class PagePicture {
public:
    // Has the page's picture control show its bitmap scaled smoothly to the control's place in the
    // page's pixels, unless the bitmap has that size already, as at 96 DPI.
    void Fit(HWND page, const DialogUnitRect& place);

private:
    // Shown by the static control, which never deletes a bitmap that it was given.
    GdiObject<HBITMAP> m_scaled;
};

}  // namespace halvorn
