#include "ui/license_page.h"

#include <richedit.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "ui/legible_colours.h"
#include "ui/radio_group.h"
#include "ui/resource_text.h"
#include "ui/system_colours.h"

namespace halvorn {

namespace {

// Where the stream of the licence document stands.
struct ReadCursor {
    const BYTE* next;
    DWORD left;
};

// Hands the rich edit the document in pieces of at most the size it asks for; a piece of 0 bytes
// ends the stream.
DWORD CALLBACK LicenseStreamCallback(DWORD_PTR cookie, LPBYTE buffer, LONG capacity, LONG* written) {
    auto& cursor = *reinterpret_cast<ReadCursor*>(cookie);
    const DWORD count = capacity > 0 ? std::min(cursor.left, static_cast<DWORD>(capacity)) : 0;
    std::copy_n(cursor.next, count, buffer);
    cursor.next += count;
    cursor.left -= count;
    *written = static_cast<LONG>(count);
    return 0;
}

// The bytes of the licence document in the program's resources; empty when they cannot be read.
std::string_view AgreementDocument() {
    const HRSRC found = FindResourceW(ProgramModule(), MAKEINTRESOURCEW(IDR_LICENSE), L"RTF");
    const HGLOBAL loaded = found != nullptr ? LoadResource(ProgramModule(), found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = found != nullptr ? SizeofResource(ProgramModule(), found) : 0;
    return data != nullptr ? std::string_view(static_cast<const char*>(data), size) : std::string_view();
}

}  // namespace

bool CLicenseEdit::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != EM_SETSEL) {
        return false;
    }
    result = 0;
    return true;
}

bool CLicensePage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == WM_INITDIALOG) {
        CPropPage::HandleMessage(message, wParam, lParam, result);
        Initialise();
        result = 0;
        return true;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDC_ACCEPT || LOWORD(wParam) == IDC_DECLINE)) {
        ReadChoice();
        PostButtonsForChoice();
        result = 0;
        return true;
    }
    return CPropPage::HandleMessage(message, wParam, lParam, result);
}

int CLicensePage::HandleSetActive() {
    PostButtonsForChoice();
    return 0;
}

int CLicensePage::HandleWizardNext() {
    // Next can also be pressed by a message while the button is disabled: refuse it here too.
    return m_acceptChoice == 0 ? 0 : -1;
}

HWND CLicensePage::InitialFocus() const {
    const std::vector<HWND> buttons = RadioButtons();
    if (buttons.empty()) {
        return nullptr;
    }
    const auto checked = static_cast<std::size_t>(m_acceptChoice);
    return checked < buttons.size() ? buttons[checked] : buttons.front();
}

void CLicensePage::Initialise() {
    SendDlgItemMessageW(Window(), IDC_PAGE_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(TitleFont()), TRUE);
    m_licenseEdit.Attach(GetDlgItem(Window(), IDC_LICENSE_TEXT));
    WriteChoice();
    LoadAgreementText();
}

std::vector<HWND> CLicensePage::RadioButtons() const {
    std::vector<HWND> windows;
    std::vector<DialogWindowTraits> traits;
    for (HWND window = GetDlgItem(Window(), IDC_ACCEPT); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        windows.push_back(window);
        traits.push_back({(GetWindowLongW(window, GWL_STYLE) & WS_GROUP) != 0,
                          (SendMessageW(window, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0});
    }
    std::vector<HWND> buttons;
    for (const std::size_t position : RadioButtonPositions(traits)) {
        buttons.push_back(windows[position]);
    }
    return buttons;
}

void CLicensePage::WriteChoice() {
    const std::vector<HWND> buttons = RadioButtons();
    for (std::size_t number = 0; number < buttons.size(); ++number) {
        const bool checked = static_cast<std::int32_t>(number) == m_acceptChoice;
        SendMessageW(buttons[number], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void CLicensePage::ReadChoice() {
    std::vector<bool> checked;
    for (const HWND button : RadioButtons()) {
        checked.push_back(SendMessageW(button, BM_GETCHECK, 0, 0) != BST_UNCHECKED);
    }
    m_acceptChoice = CheckedRadioNumber(checked);
}

void CLicensePage::PostButtonsForChoice() const { PostWizardButtons(m_acceptChoice == 0 ? PSWIZB_NEXT : 0); }

void CLicensePage::LoadAgreementText() const {
    const std::string_view document = AgreementDocument();
    if (document.empty()) {
        return;  // the page works on without the text
    }
    ReadCursor cursor{reinterpret_cast<const BYTE*>(document.data()), static_cast<DWORD>(document.size())};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&cursor);
    stream.pfnCallback = LicenseStreamCallback;
    SendDlgItemMessageW(Window(), IDC_LICENSE_TEXT, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    if (ShowInThemeColours(HighContrastOn(), SystemColour(COLOR_WINDOW), RtfColourTable(document))) {
        // The automatic colour is the theme's text colour, and the rich edit stands on the theme's
        // window colour already.
        CHARFORMATW format{};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_COLOR;
        format.dwEffects = CFE_AUTOCOLOR;
        SendDlgItemMessageW(Window(), IDC_LICENSE_TEXT, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    }
}

}  // namespace halvorn
