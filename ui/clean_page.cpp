#include "ui/clean_page.h"

#include "ui/completion_text.h"
#include "ui/resource_text.h"
#include "ui/wizard_messages.h"

namespace halvorn {

bool CCleanPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_INITDIALOG:
        CPropPage::HandleMessage(message, wParam, lParam, result);
        // The indicator moves from the page's creation to the end of the wizard.
        if (m_progress.Attach(GetDlgItem(Window(), IDC_PROGRESS))) {
            SetTimer(m_progress.Window(), IDT_PROGRESS, m_progress.Interval(), nullptr);
            // The page text above it says what the indicator shows.
            m_progress.Describe(WindowText(GetDlgItem(Window(), IDC_PAGE_TEXT)));
        }
        result = 0;
        return true;
    case WM_REPAIR_DONE:
        HandleRepairDone(wParam, lParam);
        result = 0;
        return true;
    default:
        return CPropPage::HandleMessage(message, wParam, lParam, result);
    }
}

int CCleanPage::HandleSetActive() {
    PostWizardButtons(0);
    SendMessageW(Sheet(), PSM_CANCELTOCLOSE, 0, 0);
    SendMessageW(Sheet(), WM_ENABLE_CLOSE, 0, 0);
    m_running = true;
    if (!m_service.startThread(CleanThreadProc, this)) {
        // Without a worker the run happens here, with the indicator standing still, and the
        // wizard goes on as when a worker reports.
        RunRepairAndReport();
    }
    return 0;
}

BOOL CCleanPage::HandleQueryCancel() {
    // The Escape key still cancels a sheet whose Cancel button is disabled; the worker needs the
    // page until it has reported.
    return m_running ? TRUE : FALSE;
}

unsigned __stdcall CCleanPage::CleanThreadProc(void* page) {
    static_cast<CCleanPage*>(page)->RunRepairAndReport();
    return 0;
}

void CCleanPage::RunRepairAndReport() {
    RepairCounts counts;
    try {
        counts = m_service.run(m_options, m_commandLine);
    } catch (...) {
        // No exception may leave the thread; the wizard still has to be unlocked.
        counts.failed = true;
    }
    m_runFailed = counts.failed;
    PostMessageW(Window(), WM_REPAIR_DONE, static_cast<WPARAM>(counts.invalidCount),
                 static_cast<LPARAM>(counts.deletedCount));
}

void CCleanPage::HandleRepairDone(WPARAM invalidCount, LPARAM deletedCount) {
    m_running = false;
    m_result = RepairCounts{static_cast<std::int32_t>(invalidCount), static_cast<std::int32_t>(deletedCount),
                            m_runFailed};
    // The sheet has the counts before anything that can fail, and before the completion page,
    // which shows them, becomes active.
    SendMessageW(Sheet(), WM_REPAIR_DONE, invalidCount, deletedCount);
    PostWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    SendMessageW(Sheet(), WM_ENABLE_CLOSE, 1, 0);
    try {
        // The indicator has the focus: a screen reader announces the outcome as its new name.
        m_progress.Describe(
            ToWide(CompletionText(*m_result, m_options.reportOnly, m_options.offline.target != OfflineTarget::None)));
    } catch (...) {
        // Without memory for the text only the announcement is lost: the wizard goes on.
    }
    SendMessageW(Sheet(), PSM_PRESSBUTTON, PSBTN_NEXT, 0);
}

}  // namespace halvorn
