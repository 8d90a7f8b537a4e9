// Damage, heal and currency-gain numbers: the cap, lifetimes, jitter, and how they rise, swell,
// colour and fade on screen.
#include "ui/hud_popups.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/tuning.h"
#include "hud_driver.h"
#include "ui/hud_colour.h"

namespace hud_popups_test {

using hudtest::HudDriver;

// With the identity a world point's x and y are its normalised coordinates.
const glm::mat4 kFlat(1.0f);

std::vector<int32_t> Amounts(const hud::PopupList<hud::Popup>& list) {
    std::vector<int32_t> amounts;
    for (const hud::Popup& popup : list.entries) amounts.push_back(popup.amount);
    return amounts;
}

TEST(HudPopups, TheSixtyFifthNumberDropsTheOldest) {
    const tune::Tuning tuning;
    hud::PopupList<hud::Popup> list;
    for (int32_t amount = 1; amount <= 65; ++amount) hud::AddPopup(list, {}, amount, false, tuning, false);
    ASSERT_EQ(list.entries.size(), 64u);
    EXPECT_EQ(list.entries.front().amount, 2);
    EXPECT_EQ(list.entries.back().amount, 65);
}

TEST(HudPopups, NothingToShowIsNotAdded) {
    const tune::Tuning tuning;
    hud::PopupList<hud::Popup> popups;
    hud::PopupList<hud::Flash> flashes;
    for (int32_t amount : {0, -5}) {
        hud::AddPopup(popups, {}, amount, true, tuning, true);
        hud::AddFlash(flashes, amount);
    }
    EXPECT_TRUE(popups.entries.empty());
    EXPECT_TRUE(flashes.entries.empty());
    EXPECT_EQ(popups.counter, 0);
    EXPECT_EQ(flashes.counter, 0);
}

TEST(HudPopups, NumbersExpireByTheirOwnLifetimeInAnyOrder) {
    tune::Tuning tuning;
    hud::PopupList<hud::Popup> list;
    for (const auto& [amount, lifetime] : {std::pair{1, 2.0f}, std::pair{2, 0.5f}, std::pair{3, 1.0f}}) {
        tuning.shotFeedback.damageNumberLifetime = lifetime;
        hud::AddPopup(list, {}, amount, false, tuning, false);
    }
    hud::AgePopups(list, 0.6f);
    EXPECT_EQ(Amounts(list), (std::vector<int32_t>{1, 3}));
    hud::AgePopups(list, 0.5f);
    EXPECT_EQ(Amounts(list), (std::vector<int32_t>{1}));
    hud::AgePopups(list, 0.89f);
    EXPECT_EQ(Amounts(list), (std::vector<int32_t>{1}));
    hud::AgePopups(list, 0.01f);
    EXPECT_TRUE(list.entries.empty());
}

TEST(HudPopups, ANumberLivesAtLeastAFewFrames) {
    for (float configured : {0.0f, -1.0f, 0.02f, std::nanf("")}) {
        tune::Tuning tuning;
        tuning.shotFeedback.damageNumberLifetime = configured;
        hud::PopupList<hud::Popup> list;
        hud::AddPopup(list, {}, 10, false, tuning, false);
        ASSERT_EQ(list.entries.size(), 1u);
        EXPECT_FLOAT_EQ(list.entries[0].lifetime, 0.05f) << configured;
        hud::AgePopups(list, 0.04f);
        EXPECT_EQ(list.entries.size(), 1u) << configured;
        hud::AgePopups(list, 0.02f);
        EXPECT_TRUE(list.entries.empty()) << configured;
    }
}

TEST(HudPopups, JitterCyclesSoThatNumbersSpreadSideways) {
    const tune::Tuning tuning;
    hud::PopupList<hud::Popup> popups;
    hud::PopupList<hud::Flash> flashes;
    for (int i = 0; i < 8; ++i) {
        hud::AddPopup(popups, {}, 1, false, tuning, false);
        hud::AddFlash(flashes, 1);
    }
    const float popupJitter[8] = {0.0f, 0.55f, -0.45f, 0.3f, -0.65f, 0.15f, 0.0f, 0.55f};
    const float flashJitter[8] = {-0.5f, 0.0f, 0.5f, -0.5f, 0.0f, 0.5f, -0.5f, 0.0f};
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(popups.entries[i].jitter, popupJitter[i]) << i;
        EXPECT_FLOAT_EQ(flashes.entries[i].jitter, flashJitter[i]) << i;
        EXPECT_FLOAT_EQ(flashes.entries[i].lifetime, 1.6f);
    }
}

TEST(HudPopups, FlashesHaveNoCapAndAgeOut) {
    hud::PopupList<hud::Flash> list;
    for (int i = 0; i < 100; ++i) hud::AddFlash(list, 5);
    EXPECT_EQ(list.entries.size(), 100u);
    hud::AgePopupsB(list, 1.59f);
    EXPECT_EQ(list.entries.size(), 100u);
    hud::AgePopupsB(list, 0.02f);
    EXPECT_TRUE(list.entries.empty());
}

TEST(HudPopups, DamageNumbersRiseSwellColourAndFade) {
    const tune::Tuning tuning;  // rise 0.85 m, lifetime 0.85 s, scale 2.4
    const uint32_t normal = hud::Rgba(255, 219, 107, 255), headshot = hud::Rgba(255, 112, 92, 255),
                   heal = hud::Rgba(107, 255, 133, 255);
    struct Case {
        float x;
        float t;  // share of the lifetime gone
        bool headshot, heal;
        const char* text;
        float scale;
        uint32_t colour;
        uint8_t alpha, shadow;
    };
    for (const Case& c : {Case{0.0f, 0.3f, false, false, "25", 2.4f, normal, 255, 166},
                          Case{0.0f, 0.3f, true, false, "25", 2.4f * 1.35f, headshot, 255, 166},
                          Case{0.0f, 0.3f, false, true, "+25", 2.4f, heal, 255, 166},
                          Case{0.0f, 0.0f, false, false, "25", 2.4f * 1.3f, normal, 255, 166},
                          Case{0.0f, 0.0f, true, false, "25", 2.4f * 1.35f * 1.3f, headshot, 255, 166},
                          Case{0.0f, 0.8f, false, false, "25", 2.4f, normal, 102, 66},
                          Case{1.4f, 0.3f, false, false, "25", 2.4f, normal, 255, 166}}) {
        hud::PopupList<hud::Popup> list;
        hud::AddPopup(list, {c.x, 0.0f, 0.0f}, 25, c.headshot, tuning, c.heal);
        list.entries[0].age = c.t * list.entries[0].lifetime;
        HudDriver d(1600, 900);
        d.Draw([&] { hud::DrawPopups(list, d.ctx, kFlat, tuning); });
        SCOPED_TRACE(testing::Message() << c.text << " t " << c.t << " headshot " << c.headshot);

        const float rise = (1.0f - (1.0f - c.t) * (1.0f - c.t)) * 0.85f;
        const float sx = (c.x * 0.5f + 0.5f) * 1600.0f, sy = (0.5f - rise * 0.5f) * 900.0f;
        const auto texts = d.Texts();
        ASSERT_EQ(texts.size(), 2u);
        const uitest::TextRun& shadow = texts[0];
        const uitest::TextRun& number = texts[1];
        EXPECT_EQ(number.text, c.text);
        EXPECT_NEAR(number.scale, c.scale, 1e-4f);
        EXPECT_FLOAT_EQ(number.x, hudtest::Pixel(sx - number.Width() / 2.0f));
        EXPECT_FLOAT_EQ(number.y, hudtest::Pixel(sy));
        EXPECT_EQ(number.colour, hud::WithAlpha(c.colour, c.alpha));
        EXPECT_EQ(shadow.text, c.text);
        EXPECT_FLOAT_EQ(shadow.x, hudtest::Pixel(sx + 2.0f - number.Width() / 2.0f));
        EXPECT_FLOAT_EQ(shadow.y, hudtest::Pixel(sy + 2.0f));
        EXPECT_EQ(shadow.colour, hud::Black(c.shadow));
    }
}

TEST(HudPopups, DamageNumbersJitterSidewaysAndLeaveBeyondTheScreensMargin) {
    const tune::Tuning tuning;
    hud::PopupList<hud::Popup> list;
    hud::AddPopup(list, {0.0f, 0.0f, 0.0f}, 1, false, tuning, false);    // jitter 0
    hud::AddPopup(list, {0.0f, 0.0f, 0.0f}, 2, false, tuning, false);    // jitter 0.55
    hud::AddPopup(list, {1.6f, 0.0f, 0.0f}, 3, false, tuning, false);    // right of the margin
    hud::AddPopup(list, {-1.45f, 0.0f, 0.0f}, 4, false, tuning, false);  // off screen, inside the margin
    hud::AddPopup(list, {0.0f, -1.55f, 0.0f}, 5, false, tuning, false);  // below the margin
    HudDriver d(1600, 900);
    d.Draw([&] { hud::DrawPopups(list, d.ctx, kFlat, tuning); });
    const auto one = d.Find("1", 1), two = d.Find("2", 1);
    ASSERT_TRUE(one && two);
    EXPECT_NEAR(two->x - one->x, 0.55f * 34.0f, 1.0f);
    EXPECT_FALSE(d.Has("3"));
    EXPECT_TRUE(d.Has("4"));
    EXPECT_FALSE(d.Has("5"));
}

TEST(HudPopups, CurrencyGainsRiseOverTheAnchorWithTheCoin) {
    struct Case {
        float t;
        bool coin;
        float scale, halfText, icon, halfIcon, advance;
        uint8_t alpha, shadow;
    };
    for (const Case& c : {Case{0.5f, true, 2.1f, 8.4f, 15.96f, 7.98f, 20.96f, 255, 179},
                          Case{0.5f, false, 2.1f, 8.4f, 15.96f, 7.98f, 0.0f, 255, 179},
                          Case{0.0f, true, 2.73f, 10.92f, 20.748f, 10.374f, 25.748f, 255, 179},
                          Case{0.8f, true, 2.1f, 8.4f, 15.96f, 7.98f, 20.96f, 113, 79}}) {
        hud::PopupList<hud::Flash> list;
        hud::AddFlash(list, 5);  // jitter -0.5
        list.entries[0].age = c.t * 1.6f;
        HudDriver d(1600, 900);
        const SheetIcon coin = c.coin ? hudtest::kIcon : hudtest::kNoIcon;
        d.Draw([&] { hud::DrawPopupsB(list, d.ctx, kFlat, {0.25f, 0.0f, 0.0f}, &coin); });
        SCOPED_TRACE(testing::Message() << "t " << c.t << " coin " << c.coin);

        const float rise = (1.0f - (1.0f - c.t) * (1.0f - c.t)) * 0.55f;
        const float sx = 1000.0f, sy = (0.5f - rise * 0.5f) * 900.0f;
        const float tw = 16.0f * c.scale;
        const float x = sx - 17.0f - (c.advance + tw) / 2.0f, y = sy - c.halfText;
        const auto texts = d.Texts();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[1].text, "+5");
        EXPECT_NEAR(texts[1].scale, c.scale, 1e-4f);
        EXPECT_FLOAT_EQ(texts[1].x, hudtest::Pixel(x));
        EXPECT_FLOAT_EQ(texts[1].y, hudtest::Pixel(y));
        EXPECT_EQ(texts[1].colour, hud::Gold(c.alpha));
        EXPECT_FLOAT_EQ(texts[0].x, hudtest::Pixel(x + 2.0f));
        EXPECT_FLOAT_EQ(texts[0].y, hudtest::Pixel(y + 2.0f));
        EXPECT_EQ(texts[0].colour, hud::Black(c.shadow));
        if (!c.coin) {
            EXPECT_TRUE(d.cells.empty());
            continue;
        }
        ASSERT_EQ(d.cells.size(), 1u);
        EXPECT_NEAR(d.cells[0].x, x + tw + 5.0f, 1e-2f);
        EXPECT_NEAR(d.cells[0].y, y + c.halfText - c.halfIcon, 1e-2f);
        EXPECT_NEAR(d.cells[0].w, c.icon, 1e-3f);
        EXPECT_NEAR(d.cells[0].h, c.icon, 1e-3f);
        EXPECT_EQ(d.cells[0].colour, hud::White(c.alpha));
    }
}

}  // namespace hud_popups_test
