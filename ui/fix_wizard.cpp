#include "ui/fix_wizard.h"

#include "engine/options/run_options.h"
#include "res/resource.h"
#include "ui/centring.h"
#include "ui/com_apartment.h"
#include "ui/resource_text.h"
#include "ui/wizard_messages.h"

namespace halvorn {

namespace {

static_assert(sizeof(void*) != 4 || sizeof(PROPSHEETHEADERW) == 52, "the sheet header's 52-byte form");

// The wizard whose sheet is being created on this thread, for the sheet's creation hook.
thread_local CFixWizard* t_wizardBeingCreated = nullptr;

ScreenRect ToScreenRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

CFixWizard::CFixWizard(const RunOptions& options, const std::u16string& commandLine, RepairService service)
    : m_cleanPage(service), m_title(LoadResourceString(IDS_APP_TITLE)) {
    m_header.dwSize = sizeof(m_header);
    m_header.dwFlags = PSH_USECALLBACK | PSH_WIZARD_LITE | PSH_NOAPPLYNOW | PSH_USEICONID | PSH_WIZARD;
    m_header.hInstance = ProgramModule();
    m_header.pszIcon = MAKEINTRESOURCEW(IDI_APP);
    m_header.pfnCallback = SheetCallback;

    m_cleanPage.SetRun(options, commandLine);
    m_finishPage.SetReportOnly(options.reportOnly);
    m_finishPage.SetOffline(options.offline.target != OfflineTarget::None);
    for (CPropPage* page : {static_cast<CPropPage*>(&m_licensePage), static_cast<CPropPage*>(&m_thankyouPage),
                            static_cast<CPropPage*>(&m_cleanPage), static_cast<CPropPage*>(&m_finishPage)}) {
        // A page that cannot be made is left out; the wizard runs with the others.
        const HPROPSHEETPAGE handle = page->CreatePageHandle();
        if (handle == nullptr) {
            continue;
        }
        try {
            m_pageHandles.push_back(handle);
        } catch (...) {
            DestroyPropertySheetPage(handle);
        }
    }
}

CFixWizard::~CFixWizard() {
    // Only handles that no sheet ever took are left here.
    for (const HPROPSHEETPAGE handle : m_pageHandles) {
        DestroyPropertySheetPage(handle);
    }
}

INT_PTR CFixWizard::RunModal(HWND owner) {
    // The indicator hands its accessible object to screen readers through COM on the sheet's thread.
    const ComApartment apartment;
    m_header.dwFlags &= ~static_cast<DWORD>(PSH_MODELESS);
    if (m_header.hwndParent == nullptr) {
        m_header.hwndParent = owner;
    }
    m_header.phpage = m_pageHandles.data();
    m_header.nPages = static_cast<UINT>(m_pageHandles.size());
    t_wizardBeingCreated = this;
    const INT_PTR result = PropertySheetW(&m_header);
    t_wizardBeingCreated = nullptr;
    m_header.phpage = nullptr;
    m_header.nPages = 0;
    return result;
}

int CALLBACK CFixWizard::SheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED && t_wizardBeingCreated != nullptr) {
        t_wizardBeingCreated->Attach(sheet);
        // The sheet owns the page handles now and destroys them with itself.
        t_wizardBeingCreated->m_pageHandles.clear();
    }
    return 0;
}

bool CFixWizard::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
    case WM_SHOWWINDOW:
        // On every show and hide alike, so the sheet is centred and titled before it is seen.
        Centre();
        SendMessageW(Window(), PSM_SETTITLEW, 0, reinterpret_cast<LPARAM>(m_title.c_str()));
        return true;
    case WM_SETTEXT:
        // The sheet gives the window each page's caption as the page is shown; the wizard keeps
        // its own title on every page instead, so that a second instance always finds it.
        result = CallOwnProcedure(message, wParam, reinterpret_cast<LPARAM>(m_title.c_str()));
        return true;
    case WM_SYSCOMMAND:
        // The low four bits of the command are the system's own.
        return (wParam & 0xFFF0) == SC_CLOSE && m_closeAllowed == 0;
    case WM_ENABLE_CLOSE:
        EnableClose(wParam != 0);
        return true;
    case WM_REPAIR_DONE:
        m_finishPage.SetCounts(static_cast<std::int32_t>(wParam), static_cast<std::int32_t>(lParam));
        // The clean page has its result before it hands the counts on.
        m_finishPage.SetFailed(m_cleanPage.Result() && m_cleanPage.Result()->failed);
        return true;
    default:
        return false;
    }
}

void CFixWizard::EnableClose(bool allowed) {
    m_closeAllowed = allowed ? 1 : 0;
    // Greying Close in the system menu also disables the caption's close button.
    EnableMenuItem(GetSystemMenu(Window(), FALSE), SC_CLOSE, MF_BYCOMMAND | (allowed ? MF_ENABLED : MF_GRAYED));
}

void CFixWizard::Centre() const {
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT reference = workArea;
    const HWND owner = GetWindow(Window(), GW_OWNER);
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &reference);
    }
    RECT sheet{};
    GetWindowRect(Window(), &sheet);
    const ScreenPoint at = CentredPosition(ToScreenRect(reference), ToScreenRect(workArea), sheet.right - sheet.left,
                                           sheet.bottom - sheet.top);
    SetWindowPos(Window(), nullptr, at.x, at.y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace halvorn
