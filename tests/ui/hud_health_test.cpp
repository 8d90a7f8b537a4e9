// The health panel: the number and bar's colour by the share of health left, an empty red bar
// without a maximum, the overheal glow, the life pips, the team name, protection, and a portrait
// that is not drawable.
#include "ui/hud_health.h"

#include <gtest/gtest.h>

#include "hud_driver.h"
#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"

namespace hud_health_test {

using hudtest::HudDriver;

constexpr uint32_t kSpentPip = 0xff443630;
constexpr uint32_t kPulseAtRest = hud::Rgba(155, 255, 180, 255);  // the overheal colour at time 0

struct Panel {
    int32_t team = 0;
    int32_t health = 100, maxHealth = 100;
    int32_t livesLeft = 0, livesTotal = 0;
    float protectedSeconds = 0.0f;
    SheetIcon portrait = hudtest::kIcon;
    float overhealSeconds = 0.0f;
};

void Draw(HudDriver& d, const Panel& p) {
    d.Draw([&] {
        hud::DrawTimers(d.ctx, p.team, p.health, p.maxHealth, p.livesLeft, p.livesTotal, p.protectedSeconds,
                        &p.portrait, p.overhealSeconds, 0.0f);
    });
}

TEST(HudHealth, NumberAndBarFollowTheShareOfHealthLeft) {
    struct Case {
        int32_t health, maxHealth;
        const char* text;
        float bar;
        uint32_t colour;
    };
    for (const Case& c : {Case{100, 100, "100", 192, hud::kGood}, Case{51, 100, "51", 97.92f, hud::kGood},
                          Case{50, 100, "50", 96, hud::kWarning}, Case{26, 100, "26", 49.92f, hud::kWarning},
                          Case{25, 100, "25", 48, hud::kDanger}, Case{-5, 100, "0", 0, hud::kDanger},
                          // Without a maximum: an empty red bar and no overheal, whatever the health.
                          Case{0, 0, "0", 0, hud::kDanger}, Case{60, 0, "60", 0, hud::kDanger},
                          Case{200, 100, "200", 192, kPulseAtRest}}) {
        HudDriver d(1600, 900);
        Draw(d, Panel{.health = c.health, .maxHealth = c.maxHealth});
        SCOPED_TRACE(testing::Message() << c.health << " of " << c.maxHealth);
        const auto number = d.Find(c.text);
        ASSERT_TRUE(number);
        EXPECT_FLOAT_EQ(number->x, 112.0f);
        EXPECT_FLOAT_EQ(number->y, 824.0f);
        EXPECT_EQ(number->colour, c.colour);
        const auto track = d.RectsOf(hud::kBarTrack);
        ASSERT_EQ(track.size(), 1u);
        hudtest::ExpectRect(track[0], 112, 862, 192, 6, hud::kBarTrack);
        const auto bar = d.RectsOf(c.colour);
        ASSERT_FALSE(bar.empty());
        hudtest::ExpectRect(bar.back(), 112, 862, c.bar, 6, c.colour);
        const bool overhealed = c.maxHealth > 0 && c.health > c.maxHealth;
        EXPECT_EQ(d.Has("+100  0s"), overhealed);
    }
}

TEST(HudHealth, OverhealGlowsAroundTheBarWithTheSurplusAndItsSeconds) {
    struct Case {
        int32_t health;
        const char* text;
        uint8_t glow[3];  // alpha of the rings, innermost first
    };
    // The glow strength grows with the surplus up to a whole maximum's worth.
    for (const Case& c : {Case{200, "+100  3s", {52, 35, 17}}, Case{150, "+50  3s", {26, 17, 8}},
                          Case{400, "+300  3s", {52, 35, 17}}}) {
        HudDriver d(1600, 900);
        Draw(d, Panel{.health = c.health, .maxHealth = 100, .overhealSeconds = 3.4f});
        SCOPED_TRACE(c.health);
        for (int k = 1; k <= 3; ++k) {
            const float f = 2.0f * float(k);
            const auto ring = d.RectsOf(hud::WithAlpha(kPulseAtRest, c.glow[k - 1]));
            ASSERT_EQ(ring.size(), 1u) << k;
            hudtest::ExpectRect(ring[0], 112 - f, 862 - f, 2 * f + 192, 2 * f + 6, ring[0].colour);
        }
        const auto surplus = d.Find(c.text);
        ASSERT_TRUE(surplus);
        EXPECT_FLOAT_EQ(surplus->x + surplus->Width(), 304.0f);
        EXPECT_FLOAT_EQ(surplus->y, 846.0f);
        EXPECT_EQ(surplus->colour, kPulseAtRest);
    }
}

TEST(HudHealth, OnePipPerLifeLitForThoseLeft) {
    struct Case {
        int32_t left, total;
    };
    for (const Case& c : {Case{1, 3}, Case{3, 3}, Case{0, 5}, Case{2, 0}, Case{0, -1}}) {
        HudDriver d(1600, 900);
        Draw(d, Panel{.team = 1, .livesLeft = c.left, .livesTotal = c.total});
        std::vector<uitest::SolidRect> pips;
        for (const uitest::SolidRect& rect : d.Rects()) {
            if (rect.y == 793.0f && rect.w == 12.0f) pips.push_back(rect);
        }
        ASSERT_EQ(pips.size(), size_t(std::max(c.total, 0))) << c.total;
        for (int32_t i = 0; i < c.total; ++i) {
            hudtest::ExpectRect(pips[size_t(i)], 304.0f - float(c.total - i) * 18.0f + 6.0f, 793, 12, 12,
                                i < c.left ? hud::TeamColour(1) : kSpentPip);
        }
    }
}

TEST(HudHealth, TeamNameProtectionAndPortrait) {
    HudDriver d(1600, 900);
    Draw(d, Panel{.team = 0, .protectedSeconds = 1.46f});
    const auto team = d.Find("RED");
    ASSERT_TRUE(team);
    EXPECT_FLOAT_EQ(team->x, 112.0f);
    EXPECT_FLOAT_EQ(team->y, 792.0f);
    EXPECT_EQ(team->colour, hud::TeamColour(0));
    const auto shield = d.Find("PROTECTED 1.5");
    ASSERT_TRUE(shield);
    EXPECT_FLOAT_EQ(shield->y, 810.0f);
    EXPECT_EQ(shield->colour, 0xffffc896u);
    ASSERT_EQ(d.cells.size(), 1u);
    hudtest::ExpectRect(d.cells[0], 36, 796, 64, 64, 0xffffffff);
    hudtest::ExpectRect(d.RectsOf(hud::kSlotFill).at(0), 36, 796, 64, 64, hud::kSlotFill);

    // No team, no protection, and a portrait that is not drawable: the rest is drawn all the same.
    HudDriver bare(1600, 900);
    Draw(bare, Panel{.team = 255, .portrait = hudtest::kNoIcon});
    EXPECT_TRUE(bare.cells.empty());
    EXPECT_TRUE(bare.RectsOf(hud::kSlotFill).empty());
    EXPECT_FALSE(bare.Has("NONE"));
    EXPECT_EQ(bare.Texts().size(), 1u);
    EXPECT_TRUE(bare.Has("100"));
    EXPECT_FLOAT_EQ(bare.Panel().y, 780.0f);
}

TEST(HudHealth, LifePipsOnlyForTeamRoomsWithALimit) {
    struct Case {
        uint8_t mode;
        int lives;
        int32_t pips;
    };
    for (const Case& c : {Case{0, 3, 3}, Case{0, 99, 99}, Case{0, 100, 0}, Case{0, 250, 0}, Case{0, 0, 1},
                          Case{1, 3, 0}, Case{1, 100, 0}}) {
        EXPECT_EQ(hud::LifePipCount(c.mode, c.lives), c.pips) << int(c.mode) << " " << c.lives;
    }
}

}  // namespace hud_health_test
