#pragma once

#include "res/resource.h"
#include "ui/prop_page.h"

namespace halvorn {

// The welcome page: what the tool does; Next, which has the focus, starts the repair on the
// following page.
class CThankyouPage final : public CBasePropPage<IDD_THANKYOU> {
protected:
    int HandleSetActive() override {
        PostWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
        return 0;
    }
    HWND InitialFocus() const override { return SheetButton(IDC_WIZARD_NEXT); }
};

}  // namespace halvorn
