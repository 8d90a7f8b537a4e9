// How characters are drawn: the bounty outline's curve, the own character's shimmer under its
// camera fade, and the pulse of invisible remote characters.
#include <cmath>

#include <gtest/gtest.h>

#include "client/character_drawing.h"
#include "client/light_flicker.h"

namespace characterdrawingtest {

TEST(CharacterDrawing, TheBountyOutlineEasesInUpToAThousandAndPulses)
{
    const tune::RendererTuning settings;
    const struct {
        int64_t bounty;
        bool on;
        float strength;
    } cases[] = {
        {-5, false, 0.0f}, {0, false, 0.0f}, {1, true, 0.000002998f}, {250, true, 0.15625f},
        {500, true, 0.5f}, {750, true, 0.84375f}, {1000, true, 1.0f}, {40000, true, 1.0f},
    };
    for (const auto& c : cases) {
        // At whole seconds the 1.7-per-second pulse is not at rest; at 0 it is.
        const OutlineLook look = BountyOutline(c.bounty, 0.0, settings);
        EXPECT_EQ(look.on, c.on) << c.bounty;
        EXPECT_NEAR(look.strength, c.strength, 1e-6f) << c.bounty;
        if (c.on) {
            EXPECT_NEAR(look.colour.x, 3.4f * c.strength, 1e-5f) << c.bounty;
            EXPECT_NEAR(look.colour.y, 1.55f * c.strength, 1e-5f) << c.bounty;
            EXPECT_NEAR(look.colour.z, 0.28f * c.strength, 1e-5f) << c.bounty;
            EXPECT_NEAR(look.width, 0.018f + 0.075f * c.strength, 1e-6f) << c.bounty;
        }
    }
    // A quarter of the pulse later (1 / (4 x 1.7) s) the width is at its widest.
    const OutlineLook widest = BountyOutline(1000, 1.0 / 6.8, settings);
    EXPECT_NEAR(widest.width, 0.018f + 0.075f * 1.22f, 1e-5f);
}

TEST(CharacterDrawing, InvisibilityShimmersTheOwnCharacterAndHidesOthersBetweenPulses)
{
    const tune::Tuning tuning;
    MatchFrame frame;
    frame.tuning = &tuning;
    frame.ownId = 2;
    frame.camera.eyeToPivot = 3.0f;
    frame.display.power = kPowerInvisible;
    frame.display.powerActive = 100;
    for (double now = 0.0; now < 2.0; now += 0.05) {
        frame.now = now;
        const float opacity = OwnMatchOpacity(frame);
        EXPECT_EQ(opacity, LightFlickerRange(now, 2, tuning.invisibility)) << now;
        EXPECT_GE(opacity, 0.3f);
        EXPECT_LE(opacity, 0.8f);
    }
    frame.camera.eyeToPivot = 0.79f;  // a quarter faded in: below the shimmer
    EXPECT_NEAR(OwnMatchOpacity(frame), 0.25f, 1e-5f);
    frame.display.powerActive = 0;
    frame.camera.eyeToPivot = 3.0f;
    EXPECT_EQ(OwnMatchOpacity(frame), 1.0f);

    RemoteCharacterView view;
    view.id = 5;
    EXPECT_EQ(RemoteCharacterOpacity(view, 0.0, tuning), 1.0f);
    view.invisible = true;
    int hidden = 0;
    for (double now = 0.0; now < 2.0; now += 0.01) {
        const float opacity = RemoteCharacterOpacity(view, now, tuning);
        EXPECT_LE(opacity, 0.05f);
        hidden += opacity > 0.0f ? 0 : 1;
    }
    EXPECT_GE(hidden, 170);  // the pulse lasts 0.2 s of every 2 s
}

}  // namespace characterdrawingtest
