// The skins screen: owned skins are picked, locked ones cannot be clicked, priced ones ask for a
// purchase, and the selected row's pulsing outline.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "screen_driver.h"
#include "ui/menu_palette.h"
#include "ui/skins_screen.h"

namespace skinsscreentest {

using uitest::ScreenDriver;
using uitest::SolidRect;

constexpr uint32_t kLockedTag = 0xe6323278;
constexpr uint32_t kPriceTag = 0xf0823446;

float RowY(int i) { return 144.0f + 54.0f * float(i); }

class SkinsScreen : public ::testing::Test {
protected:
    ScreenDriver d;
    menu::SuitSkins suit{"BLUE",
                         {{"", "PLAIN", 1, 0},
                          {"gold_trim", "GOLD TRIM", 1, 0},
                          {"night", "NIGHT", 0, 0},
                          {"ember", "EMBER", 0, 250}}};
    std::string selected;
    std::string purchase;
    double time = 0.0;

    auto Draw()
    {
        return [this] { return menu::DrawSkinsScreen(d.ctx, suit, selected, time, purchase); };
    }

    bool Idle() { return d.Idle(Draw()); }
    bool ClickRow(int i) { return d.Click(100.0f, RowY(i) + 23.0f, Draw()); }

    // The top edge of a 2-pixel outline round row i, if drawn.
    std::optional<SolidRect> Outline(int i) const
    {
        for (const SolidRect& r : d.Rects()) {
            if (r.x == 36.0f && r.y == RowY(i) && r.w == 222.0f && r.h == 2.0f) return r;
        }
        return std::nullopt;
    }
};

TEST_F(SkinsScreen, ThePanelListsTheSuitsSkins)
{
    Idle();
    const SolidRect panel = d.Panel();
    EXPECT_EQ(panel.x, 24.0f);
    EXPECT_EQ(panel.h, 92.0f + 54.0f * 4.0f);
    EXPECT_TRUE(d.Has("SKINS"));
    EXPECT_TRUE(d.Has("FOR THE BLUE SUIT"));
    EXPECT_TRUE(d.AllLabels("PLAIN", true));
    EXPECT_TRUE(d.AllLabels("GOLD TRIM", true));
}

TEST_F(SkinsScreen, AnUnownedSkinNotForSaleIsLockedAndCannotBeClicked)
{
    Idle();
    const float tw = 6.0f * 8.0f * 1.25f;
    ASSERT_TRUE(d.Find("LOCKED"));
    EXPECT_EQ(d.Find("LOCKED")->x, 246.0f - tw);
    EXPECT_EQ(d.Find("LOCKED")->y, RowY(2) + 18.0f);
    bool tag = false;
    for (const SolidRect& r : d.Rects()) {
        tag = tag || (r.colour == kLockedTag && r.x == 240.0f - tw && r.y == RowY(2) + 13.0f && r.w == tw + 12.0f);
    }
    EXPECT_TRUE(tag);
    ASSERT_TRUE(d.Find("NIGHT"));
    EXPECT_EQ(d.Find("NIGHT")->colour, menu::kGrey);
    // The row's button is drawn disabled.
    bool disabled = false;
    for (const SolidRect& r : d.Rects()) {
        disabled = disabled || (r.colour == menu::kDisabledFill && r.x == 36.0f && r.y == RowY(2));
    }
    EXPECT_TRUE(disabled);

    EXPECT_FALSE(ClickRow(2));
    EXPECT_EQ(selected, "");
    EXPECT_EQ(purchase, "");
}

TEST_F(SkinsScreen, APricedSkinShowsItsPriceAndAClickAsksToBuyIt)
{
    Idle();
    ASSERT_TRUE(d.Find("250"));
    const float px = 216.0f - 3.0f * 8.0f * 1.5f;
    EXPECT_EQ(d.Find("250")->x, px + 26.0f);
    EXPECT_EQ(d.Find("250")->y, RowY(3) + 17.0f);
    bool tag = false;
    for (const SolidRect& r : d.Rects()) tag = tag || (r.colour == kPriceTag && r.x == px && r.y == RowY(3) + 11.0f);
    EXPECT_TRUE(tag);

    EXPECT_FALSE(ClickRow(3));
    EXPECT_EQ(purchase, "ember");
    EXPECT_EQ(selected, "");
}

TEST_F(SkinsScreen, PickingAnOwnedSkinReportsTheChangeOnceAndMovesTheOutline)
{
    Idle();
    ASSERT_TRUE(Outline(0));
    EXPECT_EQ(Outline(0)->colour, 0x995cd334u);  // alpha 153 at time 0

    EXPECT_TRUE(ClickRow(1));
    EXPECT_EQ(selected, "gold_trim");
    EXPECT_FALSE(Outline(0));  // the changing frame draws none
    EXPECT_FALSE(Outline(1));

    time = 0.5;
    Idle();
    ASSERT_TRUE(Outline(1));
    EXPECT_FALSE(Outline(0));
    EXPECT_EQ(Outline(1)->colour >> 24, uint32_t(int(std::sin(1.5) * 102.0 + 153.0)));

    EXPECT_FALSE(ClickRow(1));  // already the selected one
    EXPECT_EQ(selected, "gold_trim");
    EXPECT_TRUE(Outline(1));
}

}  // namespace skinsscreentest
