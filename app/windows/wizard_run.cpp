#include "app/windows/wizard_run.h"

#include "app/windows/system_repair.h"
#include "ui/fix_wizard.h"

namespace halvorn {

RunOutcome RunWizard(const RunOptions& options, const std::u16string& arguments) {
    CFixWizard wizard(options, arguments, {RunSystemRepair, StartDetachedThread});
    // At start-up the thread has no active window, so the sheet stands alone in the work area.
    if (wizard.RunModal(GetActiveWindow()) < 0) {
        return {RunOutcome::End::Failed, {}};  // the sheet could not be created
    }
    const std::optional<RepairCounts> repair = wizard.RepairResult();
    return repair ? RunOutcome{RunOutcome::End::Repaired, *repair} : RunOutcome{RunOutcome::End::Cancelled, {}};
}

}  // namespace halvorn
