#include "ui/prop_page.h"

#include <cwchar>
#include <cstdlib>

#include "res/resource.h"
#include "ui/font_height.h"
#include "ui/resource_text.h"
#include "ui/wizard_messages.h"

namespace halvorn {

namespace {

static_assert(sizeof(void*) != 4 || sizeof(PROPSHEETPAGEW_V3) == 52, "the page record's 52-byte form");

// A font of tenthsOfPoint in the face of a string resource, with its height in logical units of
// the screen, negative to select by character height rather than cell height.
HFONT CreatePointFont(int tenthsOfPoint, UINT faceStringId) {
    LOGFONTW font{};
    font.lfCharSet = DEFAULT_CHARSET;
    const std::wstring face = LoadResourceString(faceStringId);
    wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    const WindowDc screen(nullptr);
    if (!screen) {
        return nullptr;
    }
    POINT points[2] = {{0, FontPixelHeight(tenthsOfPoint, GetDeviceCaps(screen.get(), LOGPIXELSY))}, {0, 0}};
    DPtoLP(screen.get(), points, 2);
    font.lfHeight = -std::abs(points[0].y - points[1].y);
    return CreateFontIndirectW(&font);
}

// The pictures keep their white panel in every theme, so the text over them stays black, whatever
// the theme's own text colour.
constexpr COLORREF kTextOverPicture = RGB(0, 0, 0);

// Messages whose result the dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    return message == WM_INITDIALOG || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
           message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
           message == WM_QUERYDRAGICON;
}

}  // namespace

CPropPage::CPropPage(int dialogId, const DialogUnitRect& picturePlace) : m_picturePlace(picturePlace) {
    m_record.dwSize = sizeof(m_record);
    m_record.dwFlags = PSP_USECALLBACK;
    m_record.hInstance = ProgramModule();
    m_record.pszTemplate = MAKEINTRESOURCEW(dialogId);
    m_record.pfnDlgProc = DialogProcedure;
    m_record.lParam = reinterpret_cast<LPARAM>(this);
    m_record.pfnCallback = PageCallback;
}

HPROPSHEETPAGE CPropPage::CreatePageHandle() {
    return CreatePropertySheetPageW(reinterpret_cast<PROPSHEETPAGEW*>(&m_record));
}

void CPropPage::PostWizardButtons(DWORD buttons) const {
    PostMessageW(Sheet(), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
}

bool CPropPage::IsTransparentControl(int controlId) const { return controlId == IDC_PAGE_TEXT; }

UINT CALLBACK CPropPage::PageCallback(HWND, UINT message, PROPSHEETPAGEW*) {
    // The dialog binds itself to the page on its first message, from the record it is given.
    return message == PSPCB_CREATE ? 1 : 0;
}

INT_PTR CALLBACK CPropPage::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // lParam is the sheet's copy of the page record, whose lParam is the page object.
        auto* page = reinterpret_cast<CPropPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
        page->m_window = window;
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    }
    auto* page = reinterpret_cast<CPropPage*>(GetWindowLongPtrW(window, DWLP_USER));
    if (page == nullptr) {
        return FALSE;  // messages before WM_INITDIALOG get the dialog manager's default
    }
    if (message == WM_NCDESTROY) {
        page->m_window = nullptr;
        SetWindowLongPtrW(window, DWLP_USER, 0);
        return FALSE;
    }
    INT_PTR result = 0;
    try {
        if (!page->HandleMessage(message, wParam, lParam, result)) {
            return FALSE;
        }
    } catch (...) {
        // No exception may unwind through the dialog manager; the default processing answers.
        return FALSE;
    }
    if (ReturnsResultDirectly(message)) {
        return result;
    }
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

bool CPropPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_INITDIALOG:
        m_picture.Fit(m_window, m_picturePlace);
        m_titleFont = GdiObject<HFONT>(CreatePointFont(140, IDS_TITLE_FONT_FACE));
        m_bodyFont = GdiObject<HFONT>(CreatePointFont(100, IDS_BODY_FONT_FACE));
        // 0: the page sets no focus, and the dialog manager does not set one either.
        result = 0;
        return true;
    case WM_CTLCOLORSTATIC:
        result = ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return true;
    case WM_NOTIFY:
        return HandleNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam, result);
    case WM_FOCUS_PAGE:
        FocusInitialControl();
        result = 0;
        return true;
    default:
        return false;
    }
}

void CPropPage::FocusInitialControl() const {
    // The clean page may have handed over to the completion page before its message arrives.
    if (reinterpret_cast<HWND>(SendMessageW(Sheet(), PSM_GETCURRENTPAGEHWND, 0, 0)) != m_window) {
        return;
    }
    // Through the sheet's dialog manager, which also keeps its default button right.
    if (const HWND control = InitialFocus(); control != nullptr) {
        SendMessageW(Sheet(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
}

INT_PTR CPropPage::ColourStatic(HDC dc, HWND control) const {
    const int controlId = GetDlgCtrlID(control);
    const bool overPicture = IsTransparentControl(controlId);
    COLORREF colour = overPicture ? kTextOverPicture : GetTextColor(dc);
    if (GetControlTextColor(controlId, colour) || overPicture) {
        SetTextColor(dc, colour);
    }
    if (!overPicture) {
        return 0;  // the dialog manager colours the control
    }
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

bool CPropPage::HandleNotify(const NMHDR& header, LPARAM lParam, INT_PTR& result) {
    // Child controls notify the page too; only the sheet's notifications are the page's to answer.
    if (header.hwndFrom != m_window && header.hwndFrom != Sheet()) {
        return false;
    }
    const auto& notification = *reinterpret_cast<const PSHNOTIFY*>(lParam);
    result = 0;
    switch (header.code) {
    case PSN_SETACTIVE:
        result = HandleSetActive();
        if (result == 0) {
            // The sheet sets a focus of its own after this notification, and the buttons that the
            // page has posted are not enabled yet.
            PostMessageW(m_window, WM_FOCUS_PAGE, 0, 0);
        }
        return true;
    case PSN_KILLACTIVE:
        result = HandleKillActive();
        return true;
    case PSN_APPLY:
        result = HandleApply();
        return true;
    case PSN_RESET:
        HandleReset();
        return true;
    case PSN_QUERYCANCEL:
        result = HandleQueryCancel();
        return true;
    case PSN_WIZBACK:
        result = HandleWizardBack();
        return true;
    case PSN_WIZNEXT:
        result = HandleWizardNext();
        return true;
    case PSN_WIZFINISH:
        result = HandleWizardFinish();
        return true;
    case PSN_HELP:
        HandleHelp();
        return true;
    case PSN_GETOBJECT:
        return HandleGetObject(*reinterpret_cast<NMOBJECTNOTIFY*>(lParam)) != FALSE;
    case PSN_TRANSLATEACCELERATOR:
        result = HandleTranslateAccelerator(reinterpret_cast<MSG*>(notification.lParam));
        return true;
    case PSN_QUERYINITIALFOCUS:
        result = reinterpret_cast<INT_PTR>(HandleQueryInitialFocus(reinterpret_cast<HWND>(notification.lParam)));
        return true;
    default:
        return false;
    }
}

}  // namespace halvorn
