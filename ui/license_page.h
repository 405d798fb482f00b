#pragma once

#include <cstdint>
#include <vector>

#include "res/resource.h"
#include "ui/prop_page.h"
#include "ui/subclassed_window.h"
#include "ui/system_library.h"

namespace halvorn {

// The licence text's rich edit: never lets a selection be set by message, so moving the focus
// into it does not select the whole agreement. What the user selects inside it is untouched.
class CLicenseEdit final : public CSubclassedWindow {
protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// The first page: the licence agreement, which the user must accept before going on.
class CLicensePage final : public CBasePropPage<IDD_LICENSE> {
public:
    CLicensePage() : CBasePropPage(kHeaderPicturePlace) {}

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    int HandleSetActive() override;
    int HandleWizardNext() override;
    // The checked choice, which the arrow keys change.
    HWND InitialFocus() const override;

private:
    void Initialise();
    // The radio group that starts at IDC_ACCEPT, in dialog order.
    std::vector<HWND> RadioButtons() const;
    void WriteChoice();
    void ReadChoice();
    // Next follows the choice; Back never shows on the first page.
    void PostButtonsForChoice() const;
    // Streams the agreement into the rich edit, shown in the theme's colours where its own would
    // not read (ShowInThemeColours).
    void LoadAgreementText() const;

    std::int32_t m_acceptChoice = 1;  // 0 accept, 1 do not accept, -1 none checked
    CLicenseEdit m_licenseEdit;
    // Loaded with the page because the dialog names the window class "RichEdit20A" that it registers.
    SystemLibrary m_richEditLibrary{L"riched20.dll"};
};

}  // namespace halvorn
