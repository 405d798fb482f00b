#pragma once

#include <windows.h>

namespace halvorn {

// The base of window classes that take over a window someone else created: the property sheet,
// the licence text, the progress indicator. Every message of the window reaches HandleMessage
// first; what it leaves unhandled goes on to the window's own procedure. The binding ends with
// the window.
class CSubclassedWindow {
public:
    CSubclassedWindow() = default;
    CSubclassedWindow(const CSubclassedWindow&) = delete;
    CSubclassedWindow& operator=(const CSubclassedWindow&) = delete;
    virtual ~CSubclassedWindow();

    bool Attach(HWND window);
    HWND Window() const { return m_window; }

protected:
    // Whether the message was handled, and with what result.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

    // The window's own procedure, for a handler that acts after it.
    LRESULT CallOwnProcedure(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR id, DWORD_PTR object);
    void Detach();

    HWND m_window = nullptr;
};

}  // namespace halvorn
