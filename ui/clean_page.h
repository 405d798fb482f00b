#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "res/resource.h"
#include "ui/progress_static.h"
#include "ui/prop_page.h"
#include "ui/repair_service.h"

namespace halvorn {

// The cleaning page: locks the wizard, runs the repair on a worker thread while the indicator
// moves, then unlocks the wizard, hands the counts to the sheet and goes on to the completion
// page. A run cannot be stopped once started.
class CCleanPage final : public CBasePropPage<IDD_CLEAN> {
public:
    explicit CCleanPage(RepairService service) : m_service(service) {}

    // What the repair run is asked, and the program's argument string that it keeps; set while
    // the sheet builds its pages.
    void SetRun(const RunOptions& options, const std::u16string& commandLine) {
        m_options = options;
        m_commandLine = commandLine;
    }

    // What the repair run came to, once it has reported; nothing before.
    const std::optional<RepairCounts>& Result() const { return m_result; }

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    int HandleSetActive() override;
    BOOL HandleQueryCancel() override;
    // The indicator: every button is disabled during the run, and a screen reader reads the
    // indicator's name.
    HWND InitialFocus() const override { return m_progress.Window(); }

private:
    static unsigned __stdcall CleanThreadProc(void* page);
    // Runs the repair and posts its counts to the page, from whichever thread runs it.
    void RunRepairAndReport();
    void HandleRepairDone(WPARAM invalidCount, LPARAM deletedCount);

    CProgressStatic m_progress;
    RunOptions m_options;
    std::u16string m_commandLine;
    RepairService m_service;
    bool m_running = false;
    // The counts travel in the worker's message; whether the run failed does not fit beside them,
    // so the worker stores it before posting.
    std::atomic<bool> m_runFailed{false};
    std::optional<RepairCounts> m_result;
};

}  // namespace halvorn
