#include <gtest/gtest.h>

#include <vector>

#include "ui/progress_animation.h"

namespace halvorn {
namespace {

using Phase = ProgressAnimation::Phase;

std::vector<int> Shades(const std::vector<ProgressBlock>& blocks) {
    std::vector<int> shades;
    for (const ProgressBlock& block : blocks) {
        shades.push_back(block.shade);
    }
    return shades;
}

// Steps until the phase is phase, at most limit frames; the frames it took.
int StepUntil(ProgressAnimation& animation, Phase phase, int clientRight, int limit = 1000) {
    int frames = 0;
    while (animation.CurrentPhase() != phase && frames < limit) {
        animation.Step(clientRight);
        ++frames;
    }
    return frames;
}

TEST(ProgressAnimation, TheFirstFrameAndTheTurnFollowTheGeometry) {
    struct Case {
        ProgressGeometry geometry;
        int clientRight;
        ProgressBlock first, last;
        int turnsAt;
    };
    for (const Case& c : std::vector<Case>{
             // Ten blocks and nine gaps: 109 pixels; 150 + 100 > 249 turns.
             {{}, 249, {2, 12, 0}, {101, 111, 90}, 150},
             // 150 %: blocks of 15 with gaps of 2 one step of 3 in; 225 + 150 > 373 turns.
             {{15, 2, 150, 3}, 373, {3, 18, 0}, {156, 171, 90}, 225},
         }) {
        ProgressAnimation animation(c.geometry);
        animation.Step(c.clientRight);
        const std::vector<ProgressBlock> blocks = animation.Frame();
        ASSERT_EQ(blocks.size(), 10u);
        EXPECT_EQ(blocks.front(), c.first);
        EXPECT_EQ(blocks.back(), c.last);
        EXPECT_EQ(Shades(blocks), (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
        StepUntil(animation, Phase::PAUSED_RIGHT, c.clientRight);
        EXPECT_EQ(animation.Position(), c.turnsAt);
    }
}

TEST(ProgressAnimation, ATripRightTurnsAtTheEdgeAndPausesTwelveFrames) {
    ProgressAnimation animation;
    const int clientRight = 249;
    StepUntil(animation, Phase::PAUSED_RIGHT, clientRight);
    // 150 + 100 > 249: the frame that detects the turn is the first of the pause.
    EXPECT_EQ(animation.Position(), 150);
    EXPECT_EQ(animation.PauseCount(), 1);

    animation.Step(clientRight);
    animation.Step(clientRight);
    EXPECT_EQ(Shades(animation.Frame()), (std::vector<int>{0, 10, 20, 140, 130, 120, 110, 100, 90, 80}));
    // A repaint shows the rightward shading at the current position, whatever the phase.
    EXPECT_EQ(Shades(animation.PaintFrame()), (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
    EXPECT_EQ(animation.PaintFrame().front().left, 150);

    while (animation.PauseCount() < 11) {
        animation.Step(clientRight);
    }
    EXPECT_EQ(Shades(animation.Frame()), (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));

    // The frame that ends the pause shows the new direction in place: twelve frames without motion.
    animation.Step(clientRight);
    EXPECT_EQ(animation.CurrentPhase(), Phase::MOVING_LEFT);
    EXPECT_EQ(animation.Position(), 150);
    EXPECT_EQ(Shades(animation.Frame()), (std::vector<int>{140, 130, 120, 110, 100, 90, 80, 70, 60, 50}));
    animation.Step(clientRight);
    EXPECT_EQ(animation.Position(), 148);
}

TEST(ProgressAnimation, TheLeftEndPausesAtMinusTwo) {
    ProgressAnimation animation;
    StepUntil(animation, Phase::MOVING_LEFT, 249);
    StepUntil(animation, Phase::PAUSED_LEFT, 249);
    EXPECT_EQ(animation.Position(), -2);
    animation.Step(249);
    animation.Step(249);
    const std::vector<ProgressBlock> blocks = animation.Frame();
    EXPECT_EQ(Shades(blocks), (std::vector<int>{140, 130, 120, 0, 10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(blocks.front().left, -2);  // clipped by two pixels
    StepUntil(animation, Phase::MOVING_RIGHT, 249);
    EXPECT_EQ(animation.Position(), -2);
    animation.Step(249);
    EXPECT_EQ(animation.Position(), 0);
}

TEST(ProgressAnimation, ANarrowControlOnlyAlternatesPausesAfterItsFirstTrip) {
    ProgressAnimation animation;
    const int clientRight = 97;  // 0 + 100 > 97 at once
    animation.Step(clientRight);
    EXPECT_EQ(animation.CurrentPhase(), Phase::PAUSED_RIGHT);
    StepUntil(animation, Phase::PAUSED_LEFT, clientRight);
    for (int frame = 0; frame < 500; ++frame) {
        animation.Step(clientRight);
        EXPECT_EQ(animation.Position(), -2);
        EXPECT_LE(animation.Frame().size(), 11u);
    }
}

TEST(ProgressAnimation, ColoursOfTheFieldAndTheShades) {
    EXPECT_EQ(ProgressAnimation::kFieldColour, (Rgb{255, 255, 155}));
    EXPECT_EQ(ProgressAnimation::BlockColour(0), (Rgb{255, 255, 140}));
    EXPECT_EQ(ProgressAnimation::BlockColour(140), (Rgb{115, 115, 0}));
    EXPECT_EQ(ProgressAnimation::BlockColour(30), (Rgb{225, 225, 110}));
}

}  // namespace
}  // namespace halvorn
