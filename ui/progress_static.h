#pragma once

#include "ui/progress_animation.h"
#include "ui/subclassed_window.h"

namespace halvorn {

// The clean page's activity indicator: takes over a static control and draws one frame of the
// animation per IDT_PROGRESS timer tick, each composed off-screen and copied in one piece. Its
// blocks grow with the display's scaling, as the control does.
class CProgressStatic final : public CSubclassedWindow {
public:
    CProgressStatic();

    // Milliseconds between frames, for the owner's timer.
    UINT Interval() const { return static_cast<UINT>(m_animation.Interval()); }

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void DrawFrame(HDC target, const std::vector<ProgressBlock>& blocks) const;

    ProgressAnimation m_animation;
};

}  // namespace halvorn
