// The currency and bounty panel: the gold frame and reminder only while pulsing, the reminder
// moving below the bounty, and the reminder's pulse over time.
#include "ui/hud_bounty.h"

#include <gtest/gtest.h>

#include <cmath>

#include "hud_driver.h"
#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"

namespace hud_bounty_test {

using hudtest::HudDriver;

TEST(HudBounty, PulseAndBountyDecideWhatIsShownAndWhere) {
    struct Case {
        int32_t bounty;
        float pulse;
        float reminderY;  // 0: no reminder
        uint8_t frameAlpha, reminderAlpha;
    };
    for (const Case& c : {Case{0, 0.0f, 0, 0, 0}, Case{3, 0.0f, 0, 0, 0}, Case{0, 0.5f, 59, 105, 127},
                          Case{3, 0.5f, 74, 105, 127}, Case{3, 4.0f, 74, 210, 255}}) {
        HudDriver d(1600, 900);
        d.Draw([&] { hud::DrawBounty(d.ctx, 250, c.bounty, &hudtest::kIcon, c.pulse); });
        SCOPED_TRACE(testing::Message() << "bounty " << c.bounty << " pulse " << c.pulse);

        EXPECT_FLOAT_EQ(d.Panel().x, 716.0f);
        EXPECT_FLOAT_EQ(d.Panel().y, 14.0f);
        ASSERT_EQ(d.cells.size(), 1u);
        hudtest::ExpectRect(d.cells[0], 723, 19, 30, 30, 0xffffffff);
        const auto coins = d.Find("250");
        ASSERT_TRUE(coins);
        EXPECT_FLOAT_EQ(coins->x, 762.0f);
        EXPECT_FLOAT_EQ(coins->y, 26.0f);
        EXPECT_EQ(coins->scale, 2.0f);

        const auto frame = d.RectsOf(hud::Gold(c.frameAlpha));
        const auto reminder = d.Find("PRESS F TO SPEND IT");
        if (c.reminderY == 0) {
            EXPECT_TRUE(frame.empty());
            EXPECT_FALSE(reminder);
        } else {
            ASSERT_EQ(frame.size(), 4u);
            hudtest::ExpectRect(frame[0], 714, 12, 172, 2, hud::Gold(c.frameAlpha));
            hudtest::ExpectRect(frame[1], 714, 54, 172, 2, hud::Gold(c.frameAlpha));
            hudtest::ExpectRect(frame[2], 714, 14, 2, 40, hud::Gold(c.frameAlpha));
            hudtest::ExpectRect(frame[3], 884, 14, 2, 40, hud::Gold(c.frameAlpha));
            ASSERT_TRUE(reminder);
            EXPECT_FLOAT_EQ(reminder->x + reminder->Width() / 2.0f, 800.0f);
            EXPECT_FLOAT_EQ(reminder->y, c.reminderY);
            EXPECT_EQ(reminder->colour, hud::Gold(c.reminderAlpha));
        }

        const auto bounty = d.Find("BOUNTY 3");
        EXPECT_EQ(bounty.has_value(), c.bounty > 0);
        if (bounty) {
            EXPECT_FLOAT_EQ(bounty->y, 58.0f);
            EXPECT_EQ(bounty->colour, hud::kBounty);
        }
    }
}

TEST(HudBounty, AnEmptyCoinIconIsSkipped) {
    HudDriver d(1600, 900);
    d.Draw([&] { hud::DrawBounty(d.ctx, 7, 0, &hudtest::kNoIcon, 0.0f); });
    EXPECT_TRUE(d.cells.empty());
    EXPECT_TRUE(d.Has("7"));
}

TEST(HudBounty, ThePulseWaitsEightSecondsThenFadesInOverOneAndAHalf) {
    const double since = 100.0;
    auto throb = [](double now) { return 0.55 + 0.45 * std::sin(3.4 * now); };
    struct Case {
        double now;
        double pulse;
    };
    for (const Case& c : {Case{since, 0.0}, Case{since + 7.9, 0.0}, Case{since + 8.0, 0.0},
                          Case{since + 8.75, 0.5 * throb(since + 8.75)}, Case{since + 9.5, throb(since + 9.5)},
                          Case{since + 60.0, throb(since + 60.0)}}) {
        EXPECT_NEAR(hud::BountyPulse(c.now, since), c.pulse, 1e-5) << c.now - since;
    }
}

}  // namespace hud_bounty_test
