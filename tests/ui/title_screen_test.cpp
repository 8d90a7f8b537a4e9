// The classic title menu: its layout signed in and out, the kick notice, the pulsing title and
// what each button returns.
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "screen_driver.h"
#include "ui/title_screen.h"

namespace titlescreentest {

using uitest::ScreenDriver;

struct TitleInputs {
    const char* joinTarget = nullptr;
    const char* accountName = nullptr;
    const char* kickReason = nullptr;
    double time = 0.0;
};

auto DrawTitle(ScreenDriver& d, const TitleInputs& in)
{
    return [&d, in] { return menu::DrawTitleScreen(d.ctx, in.joinTarget, in.accountName, in.time, in.kickReason); };
}

TEST(TitleScreen, SigningOutDisablesShopDropsSignOutAndShortensThePanelUnderQuit)
{
    ScreenDriver signedIn;
    signedIn.Idle(DrawTitle(signedIn, {nullptr, "ada"}));
    ScreenDriver signedOut;
    signedOut.Idle(DrawTitle(signedOut, {nullptr, ""}));

    EXPECT_TRUE(signedIn.AllLabels("SHOP", true));
    EXPECT_TRUE(signedOut.AllLabels("SHOP", false));
    EXPECT_TRUE(signedIn.Has("SIGN OUT"));
    EXPECT_FALSE(signedOut.Has("SIGN OUT"));
    EXPECT_TRUE(signedIn.Has("ada"));

    const uitest::SolidRect in = signedIn.Panel();
    const uitest::SolidRect out = signedOut.Panel();
    EXPECT_EQ(in.h, 422.0f);
    EXPECT_EQ(out.h, 366.0f);
    // QUIT sits 56 higher above the panel's foot when SIGN OUT takes the bottom place.
    const float quitAboveFootIn = in.y + in.h - signedIn.Find("QUIT")->y;
    const float quitAboveFootOut = out.y + out.h - signedOut.Find("QUIT")->y;
    EXPECT_FLOAT_EQ(quitAboveFootIn - quitAboveFootOut, 56.0f);
}

TEST(TitleScreen, JoinServerShowsOnlyWithATargetAndLengthensThePanel)
{
    const struct {
        const char* target;
        bool shown;
    } cases[] = {{nullptr, false}, {"", false}, {"10.0.0.7:27015", true}};
    for (const auto& c : cases) {
        ScreenDriver d;
        d.Idle(DrawTitle(d, {c.target, nullptr}));
        EXPECT_EQ(d.Has("JOIN SERVER"), c.shown) << (c.target ? c.target : "null");
        EXPECT_EQ(d.Panel().h, c.shown ? 452.0f : 366.0f);
        if (c.shown) {
            EXPECT_TRUE(d.Has(c.target));
        }
    }
}

TEST(TitleScreen, KickNoticeShowsTheReasonOnlyWhenThereIsOne)
{
    const struct {
        const char* reason;
        bool notice;
        bool reasonLine;
    } cases[] = {{nullptr, false, false}, {"", true, false}, {"too rude", true, true}};
    for (const auto& c : cases) {
        ScreenDriver d;
        d.Idle(DrawTitle(d, {nullptr, nullptr, c.reason}));
        EXPECT_EQ(d.Has("YOU HAVE BEEN KICKED"), c.notice);
        EXPECT_EQ(d.Has("too rude"), c.reasonLine);
        if (c.notice) {
            // Nothing else is written in the notice's box.
            const uitest::SolidRect panel = d.Panel();
            size_t inBox = 0;
            for (const uitest::TextRun& run : d.Texts()) {
                inBox += run.y >= panel.y - 64.0f && run.y < panel.y - 12.0f ? 1 : 0;
            }
            EXPECT_EQ(inBox, c.reasonLine ? 2u : 1u);
        }
    }
}

TEST(TitleScreen, TitlePulsesBetweenPaleAndGreenAroundAFixedCentre)
{
    const struct {
        double time;  // sin(1.5 t) = -1 and 1
        int r, g, b;
        float scale;
    } cases[] = {{std::numbers::pi, 226, 232, 240, 5.0f}, {std::numbers::pi / 3.0, 130, 220, 158, 5.28f}};
    for (const auto& c : cases) {
        ScreenDriver d;
        d.Idle(DrawTitle(d, {nullptr, nullptr, nullptr, c.time}));
        const auto title = d.Find("ZELL WAR");
        ASSERT_TRUE(title);
        EXPECT_NEAR(static_cast<int>(title->colour & 0xff), c.r, 1);
        EXPECT_NEAR(static_cast<int>(title->colour >> 8 & 0xff), c.g, 1);
        EXPECT_NEAR(static_cast<int>(title->colour >> 16 & 0xff), c.b, 1);
        EXPECT_NEAR(title->scale, c.scale, 1e-4);
        // Text starts on whole pixels, so the centre holds to half a pixel.
        EXPECT_NEAR(title->y + 4.0f * title->scale, d.Panel().y + 60.0f, 0.5f);
    }
}

TEST(TitleScreen, EachButtonReturnsItsAction)
{
    const struct {
        const char* label;
        int32_t action;
    } cases[] = {
        {"JOIN SERVER", menu::kTitleJoinServer}, {"MULTIPLAYER", menu::kTitleMultiplayer},
        {"LOADOUT", menu::kTitleLoadout},        {"SHOP", menu::kTitleShop},
        {"SIGN OUT", menu::kTitleSignOut},       {"QUIT", menu::kTitleQuit},
    };
    for (const auto& c : cases) {
        ScreenDriver d;
        const auto draw = DrawTitle(d, {"10.0.0.7", "ada"});
        EXPECT_EQ(d.Idle(draw), menu::kTitleNothing);
        EXPECT_EQ(d.ClickText(c.label, draw), c.action) << c.label;
    }
    ScreenDriver signedOut;
    const auto draw = DrawTitle(signedOut, {});
    signedOut.Idle(draw);
    EXPECT_EQ(signedOut.ClickText("SHOP", draw), menu::kTitleNothing);
}

}  // namespace titlescreentest
