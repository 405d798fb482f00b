#pragma once

#include <windows.h>
#include <prsht.h>

#include <functional>
#include <string>

#include "tests/wine/support/wait_until.h"

namespace halvorn::testing {

// The exact title of the program's windows, by which a second instance finds the wizard.
inline constexpr wchar_t kProgramTitle[] = L"Halvorn Registry Repair Tool";

// The buttons of a wizard sheet.
inline constexpr int kBackButton = 0x3023;
inline constexpr int kNextButton = 0x3024;
inline constexpr int kFinishButton = 0x3025;
inline constexpr int kCancelButton = IDCANCEL;

// The wizard of another process, driven with messages as a user would drive it, and read back.
class SheetDriver {
public:
    // Waits for the program's visible sheet, found by its title.
    static HWND WaitForSheet(DWORD timeoutMs = 30000);

    explicit SheetDriver(HWND sheet) : m_sheet(sheet) {}

    HWND Sheet() const { return m_sheet; }
    HWND ActivePage() const;
    // 0 licence, 1 welcome, 2 clean, 3 completion; -1 when the sheet does not answer.
    int ActivePageIndex() const;
    bool WaitForPage(int index, DWORD timeoutMs = 10000) const;
    // Accepts the licence and goes on from the welcome page, which starts the repair; whether the
    // wizard got past the welcome page. atEachPage looks at the licence page before the licence is
    // accepted, and at the welcome page once Next can be pressed.
    bool StartRepair(const std::function<void(const SheetDriver&)>& atEachPage = {}) const;

    // Enabled and shown.
    bool ButtonEnabled(int buttonId) const;
    // PSBTN_NEXT, PSBTN_BACK, PSBTN_CANCEL, PSBTN_FINISH.
    void Press(int button) const;
    // Clicks a control of the active page.
    void Click(int controlId) const;
    // The window of the sheet's thread that has the keyboard focus, or none.
    HWND FocusedWindow() const;
    // Posts the key's press and release to the focused window, as the keyboard would.
    void PressKey(int key) const;
    bool Checked(int controlId) const;

    HWND Control(int controlId) const { return GetDlgItem(ActivePage(), controlId); }
    std::wstring ControlText(int controlId) const { return Text(Control(controlId)); }
    std::wstring Title() const { return Text(m_sheet); }

    static std::wstring Text(HWND window);

private:
    // The sheet's loop waits for input; a message posted after a press wakes it.
    void Wake() const { PostMessageW(m_sheet, WM_NULL, 0, 0); }

    HWND m_sheet;
};

}  // namespace halvorn::testing
