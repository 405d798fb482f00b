#include "ui/finish_page.h"

#include "ui/completion_text.h"
#include "ui/resource_text.h"

namespace halvorn {

int CFinishPage::HandleSetActive() {
    PostWizardButtons(PSWIZB_FINISH);
    const std::wstring text = ToWide(CompletionText(m_invalidCount, m_deletedCount, m_reportOnly, m_offline && m_failed));
    SetDlgItemTextW(Window(), IDC_PAGE_TEXT, text.c_str());
    return 0;
}

}  // namespace halvorn
