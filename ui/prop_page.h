#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "ui/gdi_handles.h"
#include "ui/page_picture.h"

namespace halvorn {

// The sheet's own buttons, which a page may give the focus to.
inline constexpr int IDC_WIZARD_NEXT = 0x3024;
inline constexpr int IDC_WIZARD_FINISH = 0x3025;

// What every wizard page shares: the page record from which the sheet makes the page, the binding
// of the page's dialog to this object, the turning of the sheet's notifications into the Handle
// operations below, the keyboard focus given to the page's control whenever the page appears, the
// page's picture fitted to its place, the page text drawn over the picture, and two fonts.
class CPropPage {
public:
    CPropPage(const CPropPage&) = delete;
    CPropPage& operator=(const CPropPage&) = delete;
    virtual ~CPropPage() = default;

    // A page handle for the sheet, or nothing when the system cannot make one.
    HPROPSHEETPAGE CreatePageHandle();

    // The page's dialog, once the sheet has shown the page.
    HWND Window() const { return m_window; }

protected:
    // picturePlace is where the dialog places the page's picture.
    CPropPage(int dialogId, const DialogUnitRect& picturePlace);

    // A page handles its own messages and hands WM_INITDIALOG, WM_CTLCOLORSTATIC, WM_NOTIFY and
    // WM_FOCUS_PAGE to this one. Reports whether the message was handled, and with what result.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Property-sheet notifications, sent by the sheet (or the page itself) only.
    virtual int HandleSetActive() { return 0; }          // 0 accepts, -1 refuses, a dialog id redirects
    virtual BOOL HandleKillActive() { return FALSE; }    // FALSE lets the page be left
    virtual int HandleApply() { return PSNRET_NOERROR; }
    virtual void HandleReset() {}
    virtual BOOL HandleQueryCancel() { return FALSE; }   // FALSE lets the wizard be cancelled
    virtual int HandleWizardBack() { return 0; }         // 0 goes back, -1 stays, a dialog id goes there
    virtual int HandleWizardNext() { return 0; }
    virtual BOOL HandleWizardFinish() { return FALSE; }  // FALSE lets the wizard finish
    virtual void HandleHelp() {}
    virtual BOOL HandleGetObject(NMOBJECTNOTIFY&) { return FALSE; }
    virtual int HandleTranslateAccelerator(MSG*) { return PSNRET_NOERROR; }
    virtual HWND HandleQueryInitialFocus(HWND) { return nullptr; }

    // The control that has the keyboard focus whenever the page appears, so that no key press is
    // lost: one of the page's, or one of the sheet's buttons once the page has enabled it.
    virtual HWND InitialFocus() const = 0;

    // Static controls drawn with a transparent background over the page's picture: the page text.
    virtual bool IsTransparentControl(int controlId) const;
    // True when the control's text takes the colour as changed here.
    virtual bool GetControlTextColor(int, COLORREF&) const { return false; }

    HWND Sheet() const { return GetParent(m_window); }
    HWND SheetButton(int buttonId) const { return GetDlgItem(Sheet(), buttonId); }
    // The wizard buttons are posted, so the sheet sets them once the current notification is done.
    void PostWizardButtons(DWORD buttons) const;

    HFONT TitleFont() const { return m_titleFont.get(); }

private:
    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static UINT CALLBACK PageCallback(HWND, UINT message, PROPSHEETPAGEW* record);

    bool HandleNotify(const NMHDR& header, LPARAM lParam, INT_PTR& result);
    INT_PTR ColourStatic(HDC dc, HWND control) const;
    void FocusInitialControl() const;

    PROPSHEETPAGEW_V3 m_record{};
    HWND m_window = nullptr;
    DialogUnitRect m_picturePlace;
    PagePicture m_picture;
    GdiObject<HFONT> m_titleFont;  // 14 points, face of string 104
    GdiObject<HFONT> m_bodyFont;   // 10 points, face of string 105
};

// A page of the given dialog resource, by default with the full-page picture.
template <int dialogId>
class CBasePropPage : public CPropPage {
protected:
    explicit CBasePropPage(const DialogUnitRect& picturePlace = kPagePicturePlace)
        : CPropPage(dialogId, picturePlace) {}
};

}  // namespace halvorn
