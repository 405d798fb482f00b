#pragma once

#include <windows.h>
#include <prsht.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/clean_page.h"
#include "ui/finish_page.h"
#include "ui/license_page.h"
#include "ui/subclassed_window.h"
#include "ui/thankyou_page.h"

namespace halvorn {

// The wizard: a modal property sheet with the licence, welcome, clean and completion pages, in
// that order. It refuses to be closed through its frame while the clean page runs the repair, and
// keeps the repair's counts for the completion page.
class CFixWizard final : public CSubclassedWindow {
public:
    // options: what start-up read from commandLine, the program's argument string, which the
    // repair run keeps.
    CFixWizard(const RunOptions& options, const std::u16string& commandLine, RepairService service);
    ~CFixWizard() override;

    // Shows the wizard until it ends; the result of PropertySheetW.
    INT_PTR RunModal(HWND owner);

    // What the repair came to; nothing when the wizard ended before the repair started.
    const std::optional<RepairCounts>& RepairResult() const { return m_cleanPage.Result(); }

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM);
    void Centre() const;
    void EnableClose(bool allowed);

    PROPSHEETHEADERW m_header{};
    // Owned here until the sheet window exists; from then on the sheet destroys them.
    std::vector<HPROPSHEETPAGE> m_pageHandles;
    CLicensePage m_licensePage;
    CThankyouPage m_thankyouPage;
    CCleanPage m_cleanPage;
    CFinishPage m_finishPage;
    std::int32_t m_closeAllowed = 1;
    std::wstring m_title;  // string 103; a second instance finds the wizard by it
};

}  // namespace halvorn
