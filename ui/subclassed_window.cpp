#include "ui/subclassed_window.h"

#include <commctrl.h>

namespace halvorn {

CSubclassedWindow::~CSubclassedWindow() { Detach(); }

bool CSubclassedWindow::Attach(HWND window) {
    Detach();
    // The object's address names the subclass, so objects of one class can share a window.
    if (window == nullptr ||
        !SetWindowSubclass(window, SubclassProcedure, reinterpret_cast<UINT_PTR>(this),
                           reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    m_window = window;
    return true;
}

void CSubclassedWindow::Detach() {
    if (m_window != nullptr) {
        RemoveWindowSubclass(m_window, SubclassProcedure, reinterpret_cast<UINT_PTR>(this));
        m_window = nullptr;
    }
}

LRESULT CSubclassedWindow::CallOwnProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(m_window, message, wParam, lParam);
}

LRESULT CALLBACK CSubclassedWindow::SubclassProcedure(HWND window, UINT message, WPARAM wParam,
                                                      LPARAM lParam, UINT_PTR, DWORD_PTR object) {
    auto* self = reinterpret_cast<CSubclassedWindow*>(object);
    if (message == WM_NCDESTROY) {
        // The last message of the window: unbind, then let the window finish.
        self->Detach();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    try {
        LRESULT result = 0;
        if (self->HandleMessage(message, wParam, lParam, result)) {
            return result;
        }
    } catch (...) {
        // No exception may unwind through the system's code; the window's own procedure answers.
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace halvorn
