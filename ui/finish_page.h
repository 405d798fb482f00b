#pragma once

#include <cstdint>

#include "res/resource.h"
#include "ui/prop_page.h"

namespace halvorn {

// The completion page: the counts of the repair run, or that nothing was found. Finish, which has
// the focus so that Enter presses it, ends the wizard; there is no way back to a run that has
// happened.
class CFinishPage final : public CBasePropPage<IDD_FINISH> {
public:
    // The sheet stores the run's counts here before the page becomes active.
    void SetCounts(std::int32_t invalidCount, std::int32_t deletedCount) {
        m_invalidCount = invalidCount;
        m_deletedCount = deletedCount;
    }
    void SetReportOnly(bool reportOnly) { m_reportOnly = reportOnly; }
    void SetOffline(bool offline) { m_offline = offline; }
    // Whether the run reported a failure; stored with the counts.
    void SetFailed(bool failed) { m_failed = failed; }

protected:
    int HandleSetActive() override;
    // Back is disabled here, but the sheet obeys a Back pressed by message all the same, and going
    // back to the cleaning page would start a second repair.
    int HandleWizardBack() override { return -1; }
    HWND InitialFocus() const override { return SheetButton(IDC_WIZARD_FINISH); }

private:
    std::int32_t m_invalidCount = 0;
    std::int32_t m_deletedCount = 0;
    bool m_reportOnly = false;  // the run only reported what it found
    bool m_offline = false;     // the run repaired other installations' hives
    bool m_failed = false;
};

}  // namespace halvorn
