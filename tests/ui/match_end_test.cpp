// The match-end banner read back from a headless frame.
#include "ui/match_end.h"

#include <optional>

#include <gtest/gtest.h>

#include "screen_driver.h"
#include "ui/hud_drawing.h"

namespace matchendtest {

using uitest::ScreenDriver;
using uitest::TextRun;

TEST(MatchEnd, NothingWhenNoTeamWon)
{
    for (const uint8_t localTeam : {0, 1, 255}) {
        ScreenDriver d;
        d.Idle([&] { hud::DrawMatchEnd(d.ctx, 255, localTeam); });
        EXPECT_TRUE(d.drawn.empty()) << int(localTeam);
    }
}

TEST(MatchEnd, NamesTheWinnerAndWhetherItWasThePlayersTeam)
{
    struct Case {
        uint8_t winner, localTeam;
        const char* title;
        uint32_t titleColour;
        const char* verdict;
        uint32_t verdictColour;
    };
    for (const Case& c : {Case{0, 0, "RED TEAM WINS", 0xff4e56e2, "VICTORY", hud::kGood},
                          Case{1, 0, "BLUE TEAM WINS", 0xffe8944e, "DEFEAT", hud::kDanger},
                          Case{1, 1, "BLUE TEAM WINS", 0xffe8944e, "VICTORY", hud::kGood},
                          Case{0, 255, "RED TEAM WINS", 0xff4e56e2, "DEFEAT", hud::kDanger}}) {
        SCOPED_TRACE(c.title);
        ScreenDriver d;
        d.width = 1280;
        d.height = 720;
        d.Idle([&] { hud::DrawMatchEnd(d.ctx, c.winner, c.localTeam); });
        const float cx = 640.0f, cy = 720.0f * 0.3f;
        const uitest::SolidRect panel = d.Panel();
        EXPECT_FLOAT_EQ(panel.x, cx - 260.0f);
        EXPECT_FLOAT_EQ(panel.y, cy - 24.0f);
        EXPECT_FLOAT_EQ(panel.w, 520.0f);
        EXPECT_FLOAT_EQ(panel.h, 150.0f);
        struct Line {
            const char* text;
            float y, scale;
            uint32_t colour;
        };
        for (const Line& line : {Line{c.title, cy + 8.0f, 3.5f, c.titleColour},
                                 Line{c.verdict, cy + 62.0f, 2.0f, c.verdictColour},
                                 Line{"RETURNING TO THE LOBBY", cy + 96.0f, 1.25f, hud::kMutedText}}) {
            const std::optional<TextRun> run = d.Find(line.text);
            ASSERT_TRUE(run) << line.text;
            EXPECT_NEAR(run->x + run->Width() / 2.0f, cx, 0.51f) << line.text;
            EXPECT_NEAR(run->y, line.y, 0.51f) << line.text;
            EXPECT_FLOAT_EQ(run->scale, line.scale) << line.text;
            EXPECT_EQ(run->colour, line.colour) << line.text;
        }
        EXPECT_FALSE(d.Has(c.verdict[0] == 'V' ? "DEFEAT" : "VICTORY"));
    }
}

}  // namespace matchendtest
