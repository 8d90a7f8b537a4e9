// The notice while down: the countdown and the lives left, or that none are left.
#include "ui/hud_lives.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hud_driver.h"
#include "ui/hud_drawing.h"

namespace hud_lives_test {

using hudtest::HudDriver;

TEST(HudLives, CountdownAndLivesLeftOrOutOfLives) {
    struct Case {
        float respawn;
        int32_t lives;
        std::vector<std::string> lines;  // under "DOWN"
    };
    for (const Case& c : {Case{2.46f, 3, {"RESPAWNING IN 2.5", "3 LIVES LEFT"}},
                          Case{0.0f, 1, {"RESPAWNING IN 0.0", "1 LIFE LEFT"}},
                          Case{-4.0f, 2, {"RESPAWNING IN 0.0", "2 LIVES LEFT"}}, Case{3.0f, 0, {"OUT OF LIVES"}},
                          Case{3.0f, -1, {"OUT OF LIVES"}}}) {
        HudDriver d(1600, 900);
        d.Draw([&] { hud::DrawLives(d.ctx, c.respawn, c.lives); });
        const auto texts = d.Texts();
        ASSERT_EQ(texts.size(), 1 + c.lines.size()) << c.lives;
        EXPECT_EQ(texts[0].text, "DOWN");
        EXPECT_FLOAT_EQ(texts[0].x + texts[0].Width() / 2.0f, 800.0f);
        EXPECT_FLOAT_EQ(texts[0].y, 504.0f);
        EXPECT_EQ(texts[0].colour, hud::kDanger);
        for (size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(texts[i + 1].text, c.lines[i]);
            EXPECT_FLOAT_EQ(texts[i + 1].x + texts[i + 1].Width() / 2.0f, 800.0f);
            EXPECT_FLOAT_EQ(texts[i + 1].y, i == 0 ? 552.0f : 580.0f);
        }
        EXPECT_EQ(texts[1].colour, c.lives < 1 ? hud::kMutedText : hud::kText);
        if (texts.size() > 2) {
            EXPECT_EQ(texts[2].colour, hud::kMutedText);
        }
    }
}

}  // namespace hud_lives_test
