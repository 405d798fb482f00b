#include "ui/page_picture.h"

#include <cwchar>
#include <utility>

namespace halvorn {

namespace {

PixelRect PlaceInPixels(HWND page, const DialogUnitRect& place) {
    // 4 x 8 dialog units measure the base units of the page's font.
    RECT baseUnits{0, 0, 4, 8};
    MapDialogRect(page, &baseUnits);
    return DialogUnitsToPixels(place, baseUnits.right, baseUnits.bottom);
}

// The source scaled to width x height, each pixel blended from the source pixels it covers. A
// 24-bit bitmap has no alpha channel, so the static shows it itself instead of a copy of its own.
GdiObject<HBITMAP> ScaleSmoothly(HBITMAP source, const BITMAP& sourceForm, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const WindowDc screen(nullptr);
    const MemoryDc from(screen.get());
    const MemoryDc to(screen.get());
    GdiObject<HBITMAP> scaled(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!from || !to || !scaled) {
        return {};
    }
    const SelectedObject selectedSource(from.get(), source);
    const SelectedObject selectedTarget(to.get(), scaled.get());
    // HALFTONE averages instead of dropping or repeating pixels; it needs the brush origin set after it.
    SetStretchBltMode(to.get(), HALFTONE);
    SetBrushOrgEx(to.get(), 0, 0, nullptr);
    if (!StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, sourceForm.bmWidth, sourceForm.bmHeight,
                    SRCCOPY)) {
        return {};
    }
    return scaled;
}

}  // namespace

HWND FindPictureControl(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        if (_wcsicmp(className, L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
            return child;
        }
    }
    return nullptr;
}

void PagePicture::Fit(HWND page, const DialogUnitRect& place) {
    const HWND control = FindPictureControl(page);
    const auto shown = reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP form{};
    if (shown == nullptr || GetObjectW(shown, sizeof(form), &form) == 0) {
        return;
    }
    const PixelRect target = PlaceInPixels(page, place);
    if (target.Width() == form.bmWidth && target.Height() == form.bmHeight) {
        return;
    }
    GdiObject<HBITMAP> scaled = ScaleSmoothly(shown, form, target.Width(), target.Height());
    if (!scaled) {
        return;  // the picture stays at its own size
    }
    // STM_SETIMAGE hands back the bitmap that the static loaded from the template, which the static
    // then no longer deletes: it goes here, as the static shows the scaled one from now on.
    const GdiObject<HBITMAP> loaded(reinterpret_cast<HBITMAP>(
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled.get()))));
    m_scaled = std::move(scaled);
}

}  // namespace halvorn
