#include "app/wizard_run.h"

#include "app/system_repair.h"
#include "ui/fix_wizard.h"

namespace halvorn {

void RunWizard(const std::u16string& arguments) {
    CFixWizard wizard(arguments, {RunSystemRepair, StartDetachedThread});
    // At start-up the thread has no active window, so the sheet stands alone in the work area.
    wizard.RunModal(GetActiveWindow());
}

}  // namespace halvorn
