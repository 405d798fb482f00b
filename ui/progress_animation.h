#pragma once

#include <cstdint>
#include <vector>

#include "ui/rgb.h"

namespace halvorn {

// One block of the train: its left and right edge in client pixels and its shade level, 0
// (palest) to 140 (darkest).
struct ProgressBlock {
    int left = 0;
    int right = 0;
    int shade = 0;
    bool operator==(const ProgressBlock&) const = default;
};

// The indicator's lengths in pixels. They are defined at 96 DPI and grow with the display, each
// rounded once, so that a frame looks the same at any scaling and a trip across the field, which
// grows too, takes about as many frames.
struct ProgressGeometry {
    int blockWidth = 10;
    int gap = 1;           // field between two blocks
    int trainWidth = 100;  // how far the train reaches when it looks for the right end
    int step = 2;          // how far the train moves in a frame
    bool operator==(const ProgressGeometry&) const = default;

    static ProgressGeometry AtDpi(int dotsPerInch);
};

// The activity indicator's motion: a train of shaded blocks slides right across the field,
// pauses while its shading turns round, slides back left, pauses again, and so on. One Step per
// timer tick; the frame to draw follows from the state.
class ProgressAnimation {
public:
    enum Phase : std::int32_t { MOVING_RIGHT = 1, PAUSED_RIGHT = 2, MOVING_LEFT = 3, PAUSED_LEFT = 4 };

    static constexpr Rgb kFieldColour{255, 255, 155};
    static Rgb BlockColour(int shade);

    explicit ProgressAnimation(const ProgressGeometry& geometry = {}) : m_geometry(geometry) {}

    // Advances one frame in a client area whose right edge is at clientRight.
    void Step(int clientRight);

    // The blocks of the frame for the current phase.
    std::vector<ProgressBlock> Frame() const { return FrameFor(m_phase); }
    // The blocks that a repaint shows: the rightward shading at the current position, whatever
    // the phase, as the next timer frame draws over it anyway.
    std::vector<ProgressBlock> PaintFrame() const { return FrameFor(MOVING_RIGHT); }

    Phase CurrentPhase() const { return m_phase; }
    int Position() const { return m_position; }
    int PauseCount() const { return m_pauseCount; }
    int Interval() const { return m_interval; }

private:
    std::vector<ProgressBlock> FrameFor(Phase phase) const;

    std::int32_t m_position = 0;    // left edge of the first block; slightly negative at the left end
    std::int32_t m_pauseCount = 0;  // frames counted in the current pause
    ProgressGeometry m_geometry;
    std::int32_t m_blockCount = 10;
    Phase m_phase = MOVING_RIGHT;
    std::int32_t m_interval = 5;  // timer interval in milliseconds
};

}  // namespace halvorn
