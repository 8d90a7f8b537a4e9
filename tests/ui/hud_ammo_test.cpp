// The ammunition panel: the rounds' colour against the magazine, the layout right-aligned to the
// window, and the reload bar.
#include "ui/hud_ammo.h"

#include <gtest/gtest.h>

#include "hud_driver.h"
#include "ui/hud_drawing.h"

namespace hud_ammo_test {

using hudtest::HudDriver;

TEST(HudAmmo, RoundsTurnAmberAtAQuarterOfTheMagazineAndRedWhenEmpty) {
    struct Case {
        int32_t rounds;
        const char* text;
        float x;
        uint32_t colour;
    };
    // "/ 30" at scale 1.75 is 56 wide: it starts at 1600 - 40 - 56, the rounds 8 pixels left of it.
    for (const Case& c : {Case{30, "30", 1440, hud::kText}, Case{8, "8", 1468, hud::kText},
                          Case{7, "7", 1468, hud::kWarning}, Case{1, "1", 1468, hud::kWarning},
                          Case{0, "0", 1468, hud::kDanger}}) {
        HudDriver d(1600, 900);
        d.Draw([&] { hud::DrawAmmo(d.ctx, "RIFLE", c.rounds, 30, false, 0.0f, &hudtest::kIcon); });
        const auto rounds = d.Find(c.text);
        ASSERT_TRUE(rounds) << c.rounds;
        EXPECT_FLOAT_EQ(rounds->x, c.x) << c.rounds;
        EXPECT_FLOAT_EQ(rounds->y, 68.0f);
        EXPECT_EQ(rounds->scale, 3.5f);
        EXPECT_EQ(rounds->colour, c.colour) << c.rounds;
        const auto magazine = d.Find("/ 30");
        ASSERT_TRUE(magazine);
        EXPECT_FLOAT_EQ(magazine->x, 1504.0f);
        EXPECT_FLOAT_EQ(magazine->y, 80.0f);
        EXPECT_EQ(magazine->colour, hud::kMutedText);
    }
}

TEST(HudAmmo, PanelIconNameAndReloadBar) {
    struct Case {
        bool reloading;
        float fraction;
        float fill;  // -1: no bar
    };
    for (const Case& c : {Case{false, 0.5f, -1}, Case{true, 0.25f, 43}, Case{true, 1.7f, 172}, Case{true, -1.0f, 0}}) {
        HudDriver d(1600, 900);
        d.Draw([&] { hud::DrawAmmo(d.ctx, "RIFLE", 12, 30, c.reloading, c.fraction, &hudtest::kIcon); });
        EXPECT_FLOAT_EQ(d.Panel().x, 1280.0f);
        ASSERT_EQ(d.cells.size(), 1u);
        hudtest::ExpectRect(d.cells[0], 1286, 24, 96, 96, 0xffffffff);
        const auto name = d.Find("RIFLE");
        ASSERT_TRUE(name);
        EXPECT_FLOAT_EQ(name->x, 1294.0f);
        EXPECT_FLOAT_EQ(name->y, 94.0f);
        const auto track = d.RectsOf(hud::kBarTrack);
        const auto fill = d.RectsOf(hud::kGood);
        if (c.fill < 0) {
            EXPECT_TRUE(track.empty());
            EXPECT_TRUE(fill.empty());
            continue;
        }
        ASSERT_EQ(track.size(), 1u);
        hudtest::ExpectRect(track[0], 1388, 108, 172, 4, hud::kBarTrack);
        ASSERT_EQ(fill.size(), 1u);
        hudtest::ExpectRect(fill[0], 1388, 108, c.fill, 4, hud::kGood);
    }
}

TEST(HudAmmo, AnEmptyWeaponIconIsSkipped) {
    HudDriver d(1600, 900);
    d.Draw([&] { hud::DrawAmmo(d.ctx, "RIFLE", 12, 30, false, 0.0f, &hudtest::kNoIcon); });
    EXPECT_TRUE(d.cells.empty());
    EXPECT_TRUE(d.Has("RIFLE"));
    EXPECT_TRUE(d.Has("12"));
}

}  // namespace hud_ammo_test
