// How drops look: the stepped pulse, the icon frames, and the sprite of a taken, expiring or
// resting drop.
#include <cmath>

#include <gtest/gtest.h>

#include "client/drop_presentation.h"

namespace droppresentationtest {

DeathDrop Drop(uint8_t kind, float phase)
{
    DeathDrop drop;
    drop.id = 1;
    drop.kind = kind;
    drop.spin = phase;
    drop.position = glm::vec3(2.0f, 1.0f, 3.0f);
    return drop;
}

TEST(DropPresentation, ThePulseIsASteppedTriangleWave)
{
    const tune::MatchTuning match;  // 4 steps from 0.75 to 1.6 at 1.7 per second
    const float third = (1.6f - 0.75f) / 3.0f;
    const struct {
        double now;
        float phase;
        float pulse;
    } cases[] = {
        {0.0, 0.0f, 0.75f},
        {0.0, 0.1f, 0.75f},
        {0.0, 0.15f, 0.75f + third},
        {0.0, 0.3f, 0.75f + 2.0f * third},
        {0.0, 0.45f, 1.6f},
        {0.0, 0.55f, 1.6f},  // folded back down
        {0.0, 0.9f, 0.75f},
        {1.0, 0.0f, 0.75f + 2.0f * third},  // 1.7 turns: 0.7, folded to 0.3
        {1.0, 2.0f, 0.75f + 2.0f * third},  // whole turns of phase change nothing
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(DropPulse(Drop(0, c.phase), c.now, match), c.pulse, 1e-5f) << c.now << " " << c.phase;
    }
}

TEST(DropPresentation, FramesRunAtEightPerSecondThroughEachKindsStrip)
{
    tune::MatchTuning match;
    const struct {
        double now;
        int coin, stardust;
    } cases[] = {
        {0.0, 0, 0}, {0.125, 1, 1}, {0.375, 3, 3}, {0.5, 0, 4}, {0.75, 2, 0}, {100.0, 0, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DropFrame(Drop(0, 0.0f), c.now, match), c.coin) << c.now;
        EXPECT_EQ(DropFrame(Drop(1, 0.0f), c.now, match), c.stardust) << c.now;
    }
    EXPECT_EQ(DropFrame(Drop(0, 0.25f), 0.0, match), 2);  // the phase offsets the strip
    EXPECT_EQ(DropRow(0, match), 0);
    EXPECT_EQ(DropRow(1, match), 1);
    EXPECT_EQ(DropRow(7, match), 0);
    match.drops.coinFrames = 1;
    EXPECT_EQ(DropFrame(Drop(0, 0.0f), 0.375, match), 0);
    EXPECT_EQ(DropKindColour(1), glm::vec3(0.62f, 0.78f, 1.0f));
    EXPECT_EQ(DropKindColour(0), glm::vec3(1.0f, 0.74f, 0.36f));
}

TEST(DropPresentation, SpritesFadeWhenTakenBlinkBeforeExpiringAndBobAtRest)
{
    const tune::MatchTuning match;  // size 0.7, 45 s, blinking the last 3 s, bob 0.12 m at 2 per second
    const struct {
        const char* what;
        uint8_t taken;
        float takenTime, age;
        uint8_t resting;
        double now;
        bool shown;
        float alpha, size, lift;  // lift: above the drop, before the half-size raise
    } cases[] = {
        {"fresh", 0, 0.0f, 1.0f, 0, 0.0, true, 1.0f, 0.7f, 0.0f},
        {"half faded", 1, 0.13f, 5.0f, 0, 0.0, true, 0.5f, 0.7f * 1.225f, 0.0f},
        {"faded", 1, 0.4f, 5.0f, 0, 0.0, true, 0.0f, 0.7f * 1.45f, 0.0f},
        {"blinking off", 0, 0.0f, 45.0f - 2.9f, 0, 0.0, false, 0.0f, 0.0f, 0.0f},
        {"blinking on", 0, 0.0f, 45.0f - 2.8f, 0, 0.0, true, 1.0f, 0.7f, 0.0f},
        {"resting at the top of its bob", 0, 0.0f, 1.0f, 1, M_PI / 4.0, true, 1.0f, 0.7f, 0.12f},
    };
    for (const auto& c : cases) {
        DeathDrop drop = Drop(1, 0.0f);
        drop.taken = c.taken;
        drop.takenTime = c.takenTime;
        drop.age = c.age;
        drop.resting = c.resting;
        const DropSprite sprite = DropSpriteOf(drop, c.now, match);
        ASSERT_EQ(sprite.shown, c.shown) << c.what;
        if (!c.shown) {
            continue;
        }
        EXPECT_NEAR(sprite.alpha, c.alpha, 1e-5f) << c.what;
        EXPECT_NEAR(sprite.size, c.size, 1e-5f) << c.what;
        EXPECT_NEAR(sprite.centre.y, 1.0f + c.lift + c.size * 0.5f - 0.02f, 1e-5f) << c.what;
        EXPECT_EQ(sprite.row, 1) << c.what;
        const glm::vec3 colour = DropKindColour(1) * DropPulse(drop, c.now, match);
        EXPECT_NEAR(sprite.colour.x, colour.x, 1e-6f) << c.what;
    }
}

}  // namespace droppresentationtest
