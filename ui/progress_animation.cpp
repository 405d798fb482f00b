#include "ui/progress_animation.h"

#include <algorithm>

#include "ui/display_scaling.h"

namespace halvorn {

namespace {

constexpr int kShadeStep = 10;
constexpr int kDarkestShade = 140;

// Shades that grow from the palest or fall from the darkest, block by block.
int RisingShade(int index) { return std::min(index * kShadeStep, kDarkestShade); }
int FallingShade(int index) { return std::max(kDarkestShade - index * kShadeStep, 0); }

}  // namespace

ProgressGeometry ProgressGeometry::AtDpi(int dotsPerInch) {
    const ProgressGeometry standard;
    const auto scale = [dotsPerInch](int pixels) { return ScaleFromStandardDpi(pixels, dotsPerInch); };
    return {scale(standard.blockWidth), scale(standard.gap), scale(standard.trainWidth), scale(standard.step)};
}

Rgb ProgressAnimation::BlockColour(int shade) {
    const auto level = [shade](int full) { return static_cast<std::uint8_t>(full - shade); };
    return {level(255), level(255), level(140)};
}

void ProgressAnimation::Step(int clientRight) {
    if (m_position < 0 && m_phase == MOVING_LEFT) {
        m_phase = PAUSED_LEFT;
        m_pauseCount = 0;
    } else if (m_position + m_geometry.trainWidth > clientRight && m_phase == MOVING_RIGHT) {
        m_phase = PAUSED_RIGHT;
        m_pauseCount = 0;
    }
    // The frame that detects a turn already counts as the first of the pause, and the frame that
    // ends a pause shows the new direction without moving yet.
    switch (m_phase) {
    case MOVING_RIGHT:
        m_position += m_geometry.step;
        break;
    case MOVING_LEFT:
        m_position -= m_geometry.step;
        break;
    case PAUSED_RIGHT:
    case PAUSED_LEFT:
        if (m_pauseCount > m_blockCount) {
            m_phase = m_phase == PAUSED_RIGHT ? MOVING_LEFT : MOVING_RIGHT;
        } else {
            ++m_pauseCount;
        }
        break;
    }
}

std::vector<ProgressBlock> ProgressAnimation::FrameFor(Phase phase) const {
    // In a pause the first part of the train already shows the new shading, so the shading turns
    // round block by block; the last pause frame has one block more than the train.
    int firstPart = m_blockCount;
    int (*firstShade)(int) = RisingShade;
    int (*secondShade)(int) = FallingShade;
    switch (phase) {
    case MOVING_RIGHT:
        break;
    case MOVING_LEFT:
        firstShade = FallingShade;
        break;
    case PAUSED_RIGHT:
        firstPart = m_pauseCount;
        break;
    case PAUSED_LEFT:
        firstPart = m_pauseCount;
        std::swap(firstShade, secondShade);
        break;
    }
    const int secondPart = std::max(m_blockCount - firstPart, 0);

    std::vector<ProgressBlock> blocks;
    blocks.reserve(static_cast<std::size_t>(firstPart + secondPart));
    int left = m_position;
    for (int index = 0; index < firstPart + secondPart; ++index) {
        const int shade = index < firstPart ? firstShade(index) : secondShade(index - firstPart);
        blocks.push_back({left, left + m_geometry.blockWidth, shade});
        left += m_geometry.blockWidth + m_geometry.gap;
    }
    return blocks;
}

}  // namespace halvorn
