#include "ui/progress_static.h"

#include "res/resource.h"
#include "ui/gdi_handles.h"
#include "ui/indicator_accessible.h"
#include "ui/screen_dpi.h"
#include "ui/system_colours.h"

namespace halvorn {

namespace {

// A rectangle filled with colour and outlined by the context's pen (black by default).
void FillOutlined(HDC dc, const Rgb& colour, int left, int top, int right, int bottom) {
    const GdiObject<HBRUSH> brush(CreateSolidBrush(ToColorref(colour)));
    const SelectedObject selected(dc, brush.get());
    Rectangle(dc, left, top, right, bottom);
}

}  // namespace

CProgressStatic::CProgressStatic() : m_animation(ProgressGeometry::AtDpi(ScreenDpi())) {}

void CProgressStatic::Describe(const std::wstring& name) {
    if (Window() == nullptr) {
        return;
    }
    // The static's own procedure would draw the text over the frame; the default one only keeps it
    // as the window's text, which names the system's accessible object.
    DefWindowProcW(Window(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, Window(), OBJID_CLIENT, CHILDID_SELF);
}

bool CProgressStatic::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_PAINT: {
        const PaintDc paint(Window());
        DrawFrame(paint.get(), m_animation.PaintFrame());
        result = 0;
        return true;
    }
    case WM_TIMER:
        // Other timers of the control are swallowed too: only IDT_PROGRESS drives the animation.
        if (wParam == IDT_PROGRESS) {
            RECT client{};
            GetClientRect(Window(), &client);
            m_animation.Step(client.right);
            const WindowDc window(Window());
            DrawFrame(window.get(), m_animation.Frame());
        }
        result = 0;
        return true;
    case WM_GETOBJECT:
        // Only the client area is the indicator's own: the window's frame and the rest stay the
        // system's. The object identifier is a 32-bit number, also in a 64-bit lParam.
        if (static_cast<LONG>(lParam) != OBJID_CLIENT) {
            return false;
        }
        result = IndicatorAccessibleObject(Window(), wParam);
        return result != 0;
    default:
        return false;
    }
}

void CProgressStatic::DrawFrame(HDC target, const std::vector<ProgressBlock>& blocks) const {
    RECT client{};
    GetClientRect(Window(), &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const MemoryDc memory(target);
    const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(target, width, height));
    if (!memory || !bitmap) {
        return;  // no frame this time; the next tick tries again
    }
    const SelectedObject selectedBitmap(memory.get(), bitmap.get());
    FillOutlined(memory.get(), ProgressAnimation::kFieldColour, client.left, client.top, client.right, client.bottom);
    for (const ProgressBlock& block : blocks) {
        FillOutlined(memory.get(), ProgressAnimation::BlockColour(block.shade), block.left, client.top, block.right,
                     client.bottom);
    }
    BitBlt(target, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace halvorn
