#include "tests/wine/support/sheet_driver.h"

#include "res/resource.h"

namespace halvorn::testing {

HWND SheetDriver::WaitForSheet(DWORD timeoutMs) {
    HWND sheet = nullptr;
    WaitUntil(
        [&sheet] {
            sheet = FindWindowW(nullptr, kProgramTitle);
            return sheet != nullptr && IsWindowVisible(sheet);
        },
        timeoutMs);
    return sheet != nullptr && IsWindowVisible(sheet) ? sheet : nullptr;
}

HWND SheetDriver::ActivePage() const {
    return reinterpret_cast<HWND>(SendMessageW(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int SheetDriver::ActivePageIndex() const {
    const HWND page = ActivePage();
    return page == nullptr ? -1
                           : static_cast<int>(SendMessageW(m_sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0));
}

bool SheetDriver::WaitForPage(int index, DWORD timeoutMs) const {
    return WaitUntil([&] { return ActivePageIndex() == index; }, timeoutMs);
}

bool SheetDriver::StartRepair(const std::function<void(const SheetDriver&)>& atEachPage) const {
    const auto nextEnabled = [this] { return ButtonEnabled(kNextButton); };
    const auto lookAtPage = [&] {
        if (atEachPage) {
            atEachPage(*this);
        }
    };
    if (!WaitForPage(0)) {
        return false;
    }
    lookAtPage();
    Click(IDC_ACCEPT);
    if (!WaitUntil(nextEnabled)) {
        return false;
    }
    Press(PSBTN_NEXT);
    if (!WaitForPage(1) || !WaitUntil(nextEnabled)) {
        return false;
    }
    lookAtPage();
    Press(PSBTN_NEXT);
    return WaitUntil([this] { return ActivePageIndex() >= 2; });
}

bool SheetDriver::ButtonEnabled(int buttonId) const {
    const HWND button = GetDlgItem(m_sheet, buttonId);
    return button != nullptr && IsWindowVisible(button) && IsWindowEnabled(button);
}

void SheetDriver::Press(int button) const {
    PostMessageW(m_sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    Wake();
}

void SheetDriver::Click(int controlId) const {
    SendMessageW(Control(controlId), BM_CLICK, 0, 0);
    Wake();
}

HWND SheetDriver::FocusedWindow() const {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    return GetGUIThreadInfo(GetWindowThreadProcessId(m_sheet, nullptr), &thread) ? thread.hwndFocus : nullptr;
}

void SheetDriver::PressKey(int key) const {
    const HWND focused = FocusedWindow();
    // A repeat count of 1; the release also has its previous-state and transition bits.
    PostMessageW(focused, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    PostMessageW(focused, WM_KEYUP, static_cast<WPARAM>(key), static_cast<LPARAM>(0xC0000001u));
}

bool SheetDriver::Checked(int controlId) const {
    return SendMessageW(Control(controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring SheetDriver::Text(HWND window) {
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

}  // namespace halvorn::testing
