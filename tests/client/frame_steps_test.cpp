// The frame loop's step clock (the cap drops the backlog) and the display blend between steps.
#include <cmath>

#include <gtest/gtest.h>

#include "client/frame_steps.h"

namespace framestepstest {

TEST(FrameSteps, AFrameRunsAtMostFiveStepsAndDropsTheRest)
{
    const double step = 1.0 / 64.0;
    const struct {
        double accumulator;
        double frameSeconds;
        int steps;
        double left;
    } cases[] = {
        {0.0, 0.4, 5, 0.0},                  // 0.4 s counts as 0.25 s: the cap, and the rest dropped
        {0.0, 1.0 / 60.0, 1, 1.0 / 60.0 - step},
        {0.0, 0.01, 0, 0.01},
        {0.01, 0.01, 1, 0.02 - step},
        {0.0, 4.5 / 64.0, 4, 0.5 / 64.0},
        {0.0, 5.5 / 64.0, 5, 0.5 / 64.0},    // the cap with less than a step over: that carries
        {0.5 / 64.0, 5.75 / 64.0, 5, 0.0},  // a whole step over the cap: dropped
    };
    for (const auto& c : cases) {
        double accumulator = c.accumulator;
        const float frame = CappedFrameTime(10.0 + c.frameSeconds, 10.0);
        EXPECT_EQ(TakeFixedSteps(accumulator, frame, step, 5), c.steps) << c.frameSeconds;
        EXPECT_NEAR(accumulator, c.left, 1e-6) << c.frameSeconds;
    }
    EXPECT_FLOAT_EQ(CappedFrameTime(10.0, 9.0), 0.25f);
}

TEST(FrameSteps, TheDisplayBlendsBetweenStepsAndFollowsCorrections)
{
    PlayerState previous;
    previous.health = 100;
    previous.position = glm::vec3(0.0f, 0.0f, 0.0f);
    previous.bodyYaw = 170.0f;
    previous.aimBlend = 0.0f;
    previous.yaw = 10.0f;
    PlayerState current = previous;
    current.position = glm::vec3(1.0f, 0.5f, 0.0f);
    current.bodyYaw = -170.0f;
    current.aimBlend = 1.0f;
    current.yaw = 30.0f;

    const PlayerState half = BlendDisplayState(previous, current, 0.5f);
    EXPECT_EQ(half.position, glm::vec3(0.5f, 0.25f, 0.0f));
    EXPECT_FLOAT_EQ(half.aimBlend, 0.5f);
    EXPECT_NEAR(std::abs(half.bodyYaw), 180.0f, 1e-3f);  // across the seam, not through 0
    EXPECT_FLOAT_EQ(half.yaw, 30.0f);                    // the view is the current one
    const PlayerState whole = BlendDisplayState(previous, current, 1.0f);
    EXPECT_EQ(whole.position, current.position);

    // A small correction shifts the previous step along; a jump of 2 m or a death replaces it.
    PlayerState carried = previous;
    PlayerState corrected = current;
    corrected.position += glm::vec3(0.3f, 0.0f, 0.0f);
    CarryPreviousState(carried, current, corrected);
    EXPECT_NEAR(carried.position.x, 0.3f, 1e-6f);
    EXPECT_EQ(carried.position.y, 0.0f);
    carried = previous;
    corrected.position = current.position + glm::vec3(2.0f, 0.0f, 0.0f);
    CarryPreviousState(carried, current, corrected);
    EXPECT_EQ(carried.position, corrected.position);
    carried = previous;
    corrected = current;
    corrected.health = 0;
    CarryPreviousState(carried, current, corrected);
    EXPECT_EQ(carried.health, 0);
}

}  // namespace framestepstest
