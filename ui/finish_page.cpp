#include "ui/finish_page.h"

#include "ui/completion_text.h"

namespace halvorn {

int CFinishPage::HandleSetActive() {
    PostWizardButtons(PSWIZB_FINISH);
    const std::u16string text = CompletionText(m_invalidCount, m_deletedCount, m_reportOnly, m_offline && m_failed);
    SetDlgItemTextW(Window(), IDC_PAGE_TEXT, std::wstring(text.begin(), text.end()).c_str());
    return 0;
}

}  // namespace halvorn
