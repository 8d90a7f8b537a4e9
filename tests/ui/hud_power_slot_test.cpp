// The power slot: its outline, label and cooldown shade by readiness, and an empty icon skipped.
#include "ui/hud_power_slot.h"

#include <gtest/gtest.h>

#include "hud_driver.h"
#include "ui/hud_drawing.h"

namespace hud_power_slot_test {

using hudtest::HudDriver;

TEST(HudPowerSlot, ReadinessLightsTheOutlineAndLabelAndSetsTheShade) {
    struct Case {
        bool available;
        float cooldown;
        uint32_t outline, label;
        float shade;
    };
    for (const Case& c : {Case{true, 0.0f, hud::kGood, hud::kText, 0.0f},
                          Case{true, 0.4f, hud::kIdleOutline, hud::kMutedText, 0.4f},
                          Case{false, 0.0f, hud::kIdleOutline, hud::kMutedText, 1.0f},
                          Case{false, 0.4f, hud::kIdleOutline, hud::kMutedText, 1.0f}}) {
        HudDriver d(1600, 900);
        d.Draw([&] { hud::DrawPowerSlot(d.ctx, &hudtest::kIcon, "HEAL", c.cooldown, c.available); });
        const auto rects = d.Rects();
        ASSERT_EQ(rects.size(), 5u);
        hudtest::ExpectRect(rects[0], 764, 804, 72, 72, hud::kSlotFill);
        hudtest::ExpectRect(rects[1], 764, 804, 72, 2, c.outline);
        const auto label = d.Find("HEAL");
        ASSERT_TRUE(label);
        EXPECT_FLOAT_EQ(label->x, 784.0f);
        EXPECT_FLOAT_EQ(label->y, 878.0f);
        EXPECT_EQ(label->colour, c.label);
        ASSERT_EQ(d.cells.size(), 1u);
        hudtest::ExpectRect(d.cells[0], 768, 808, 64, 64, 0xffffffff);
        ASSERT_EQ(d.commands.size(), 1u);
        EXPECT_FLOAT_EQ(d.commands[0].cooldownFraction, c.shade);
        EXPECT_FLOAT_EQ(d.commands[0].cooldownSecond, 0.72f);
    }
}

TEST(HudPowerSlot, AnEmptyIconIsSkippedAndTheSlotStillDrawn) {
    HudDriver d(1600, 900);
    d.Draw([&] { hud::DrawPowerSlot(d.ctx, &hudtest::kNoIcon, "HEAL", 0.0f, true); });
    EXPECT_TRUE(d.cells.empty());
    EXPECT_EQ(d.Rects().size(), 5u);
    EXPECT_TRUE(d.Has("HEAL"));
}

}  // namespace hud_power_slot_test
