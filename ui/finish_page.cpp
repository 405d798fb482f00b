#include "ui/finish_page.h"

#include "ui/completion_text.h"
#include "ui/resource_text.h"

namespace halvorn {

int CFinishPage::HandleSetActive() {
    PostWizardButtons(PSWIZB_FINISH);
    // The template's text says "Completed Successfully!!!": it goes before a text that could fail
    // to be built, so that a failed run is never shown as a success.
    SetDlgItemTextW(Window(), IDC_PAGE_TEXT, L"");
    const std::wstring text =
        ToWide(CompletionText({m_invalidCount, m_deletedCount, m_failed}, m_reportOnly, m_offline));
    SetDlgItemTextW(Window(), IDC_PAGE_TEXT, text.c_str());
    return 0;
}

}  // namespace halvorn
