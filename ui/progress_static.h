#pragma once

#include <string>

#include "ui/progress_animation.h"
#include "ui/subclassed_window.h"

namespace halvorn {

// The clean page's activity indicator: takes over a static control and draws one frame of the
// animation per IDT_PROGRESS timer tick, each composed off-screen and copied in one piece. Its
// blocks grow with the display's scaling, as the control does. To assistive technology it is a
// progress bar, named by the control's text, which the control itself never draws.
class CProgressStatic final : public CSubclassedWindow {
public:
    CProgressStatic();

    // Milliseconds between frames, for the owner's timer.
    UINT Interval() const { return static_cast<UINT>(m_animation.Interval()); }

    // Names what is happening, and tells assistive technology that the name has changed.
    void Describe(const std::wstring& name);

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void DrawFrame(HDC target, const std::vector<ProgressBlock>& blocks) const;

    ProgressAnimation m_animation;
};

}  // namespace halvorn
