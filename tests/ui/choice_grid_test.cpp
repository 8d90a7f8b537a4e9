// The loadout screen's parts: the choice grid with its shine, a stat row with its bar, and the
// shots it takes to finish a suit.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "game/tuning.h"
#include "screen_driver.h"
#include "ui/choice_grid.h"
#include "ui/loadout_stats.h"
#include "ui/menu_palette.h"
#include "ui_frame_support.h"

namespace choicegridtest {

using uitest::ScreenDriver;

std::vector<menu::ChoiceEntry> Entries(int32_t count, const SheetIcon& icon = {})
{
    std::vector<menu::ChoiceEntry> entries;
    for (int32_t i = 0; i < count; ++i) entries.push_back({10 + i, "CELL " + std::to_string(i), icon});
    return entries;
}

TEST(ShinePosition, SweepsForThreeQuartersOfASecondEverySixSeconds)
{
    const struct {
        double time;
        float position;
    } cases[] = {
        {0.0, -0.2f},  {0.3, 0.5f},   {0.7499, 1.5497667f}, {0.75, -1.0f},
        {5.99, -1.0f}, {6.0, -0.2f},  {-4.0, -0.2f},        {std::numeric_limits<double>::quiet_NaN(), -1.0f},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(menu::ShinePosition(c.time), c.position, 1e-4f) << c.time;
    }
}

TEST(ChoiceGrid, LaysCellsOutInRowsAndReturnsTheValueOfThePressedOne)
{
    // 430 across 4 columns: cells 100 wide with 10 between them, rows 114 apart.
    const std::vector<menu::ChoiceEntry> entries = Entries(6);
    const auto grid = [&](ScreenDriver& d) {
        return [&] { return menu::DrawChoiceGrid(d.ctx, 320, 20.0f, 40.0f, 430.0f, entries, -1, 4, 104.0f, 3.0); };
    };
    const struct {
        float x, y;
        int32_t pressed;
    } cases[] = {
        {25.0f, 45.0f, 10},   {139.0f, 50.0f, 11},   {125.0f, 100.0f, -1},  // between two cells
        {139.0f, 150.0f, -1},  // between two rows
        {250.0f, 160.0f, -1},  // where a seventh cell would be
        {131.0f, 160.0f, 15},
    };
    for (const auto& c : cases) {
        ScreenDriver d;
        EXPECT_EQ(d.Frame(uitest::MouseAt(c.x, c.y, true, true), grid(d)), c.pressed) << c.x << "," << c.y;
        EXPECT_EQ(d.Frame(uitest::MouseAt(c.x, c.y, true, false), grid(d)), -1) << "only the press picks";
    }
    ScreenDriver d;
    d.Idle(grid(d));
    EXPECT_TRUE(d.Has("CELL 5"));
    EXPECT_EQ(d.Find("CELL 5")->y, 40.0f + 114.0f + 104.0f - 16.0f);
}

TEST(ChoiceGrid, NothingToDrawReturnsAtOnce)
{
    const struct {
        int32_t entries;
        int32_t columns;
    } cases[] = {{0, 4}, {3, 0}, {3, -2}};
    for (const auto& c : cases) {
        ScreenDriver d;
        const std::vector<menu::ChoiceEntry> entries = Entries(c.entries);
        const int32_t pressed = d.Frame(uitest::MouseAt(30.0f, 50.0f, true, true), [&] {
            return menu::DrawChoiceGrid(d.ctx, 320, 20.0f, 40.0f, 430.0f, entries, 10, c.columns, 104.0f, 3.0);
        });
        EXPECT_EQ(pressed, -1);
        EXPECT_TRUE(d.drawn.empty());
    }
}

TEST(ChoiceGrid, TheChosenCellIsLitAndOutlinedAndTheHoveredOneRaised)
{
    ScreenDriver d;
    const std::vector<menu::ChoiceEntry> entries = Entries(3);
    d.Frame(uitest::MouseAt(250.0f, 60.0f), [&] {
        return menu::DrawChoiceGrid(d.ctx, 320, 20.0f, 40.0f, 430.0f, entries, 10, 4, 104.0f, 3.0);
    });
    std::vector<uint32_t> fills;
    size_t outlines = 0;
    for (const uitest::SolidRect& rect : d.Rects()) {
        if (rect.h == 104.0f && rect.w == 100.0f) fills.push_back(rect.colour);
        outlines += rect.colour == menu::kGreen ? 1 : 0;
    }
    EXPECT_EQ(fills, (std::vector<uint32_t>{0xff3a4a2e, ui::kButtonIdle, ui::kButtonHover}));
    EXPECT_EQ(outlines, 4u);
    EXPECT_EQ(d.Find("CELL 0")->colour, menu::kWhite);
    EXPECT_EQ(d.Find("CELL 1")->colour, menu::kGrey);
    EXPECT_EQ(d.ctx.hotId, 320u);
}

TEST(ChoiceGrid, LongNamesShrinkToFitDownToThreeQuarters)
{
    const std::vector<menu::ChoiceEntry> entries = {
        {0, "RPG", {}}, {1, "FLAMETHROWER", {}}, {2, "A VERY LONG NAME INDEED", {}}};
    ScreenDriver d;
    d.Idle([&] { return menu::DrawChoiceGrid(d.ctx, 320, 20.0f, 40.0f, 430.0f, entries, 0, 4, 104.0f, 3.0); });
    EXPECT_EQ(d.Find("RPG")->scale, 1.5f);
    EXPECT_EQ(d.Find("FLAMETHROWER")->scale, 0.875f);  // 84 of the 92 pixels the cell leaves
    EXPECT_EQ(d.Find("A VERY LONG NAME INDEED")->scale, 0.75f);
}

TEST(ChoiceGrid, TheChosenPictureShinesOnlyWhileTheBandSweeps)
{
    const SheetIcon icon{3, 1, 4, 64, 256, 0, 1};
    const std::vector<menu::ChoiceEntry> entries = Entries(3, icon);
    const struct {
        double time;
        size_t commands;
    } cases[] = {{0.3, 4}, {6.5, 4}, {1.0, 3}, {3.0, 3}};
    for (const auto& c : cases) {
        ui::Context ctx;
        ctx.BeginFrame(uitest::kWidth, uitest::kHeight, uitest::MouseAt(-100.0f, -100.0f));
        menu::DrawChoiceGrid(ctx, 320, 20.0f, 40.0f, 430.0f, entries, 11, 4, 104.0f, c.time);
        ASSERT_EQ(ctx.batch.commands.size(), c.commands) << c.time;
        size_t shining = 0;
        for (const render::UiDrawCmd& command : ctx.batch.commands) {
            if (command.shinePosition < 0.0f) continue;
            ++shining;
            EXPECT_FLOAT_EQ(command.shinePosition, menu::ShinePosition(c.time));
            EXPECT_FLOAT_EQ(command.shineWidth, 0.2f);
            EXPECT_FLOAT_EQ(command.shineStrength, 0.9f);
            // The second drawing of the chosen cell's picture: 86 square (the cell less its name),
            // centred across the 100-pixel cell.
            const render::UiVertex& corner = ctx.batch.spriteVertices[command.firstVertex];
            EXPECT_FLOAT_EQ(corner.x, 130.0f + 7.0f);
            EXPECT_FLOAT_EQ(corner.y, 40.0f);
            EXPECT_FLOAT_EQ(ctx.batch.spriteVertices[command.firstVertex + 2].x, 137.0f + 86.0f);
        }
        EXPECT_EQ(shining, c.commands - 3);
        uitest::EndFrameWithoutDrawing(ctx);
    }
}

TEST(StatRow, LabelValueAndABarOnlyForAFraction)
{
    const struct {
        float fraction;
        float fill;  // -1: no bar
    } cases[] = {{0.5f, 100.0f}, {1.7f, 200.0f}, {0.0f, 0.0f}, {-1.0f, -1.0f}};
    for (const auto& c : cases) {
        ScreenDriver d;
        d.Idle([&] { menu::DrawStatRow(d.ctx, 30.0f, 50.0f, 200.0f, "HEALTH", "120 hp", c.fraction, 0xff8cdc78); });
        const auto label = d.Find("HEALTH");
        const auto value = d.Find("120 hp");
        ASSERT_TRUE(label && value);
        EXPECT_EQ(label->scale, 1.25f);
        EXPECT_EQ(label->colour, menu::kGrey);
        EXPECT_FLOAT_EQ(value->x + value->Width(), 230.0f);
        EXPECT_FLOAT_EQ(value->y, 48.0f);
        const std::vector<uitest::SolidRect> rects = d.Rects();
        if (c.fill < 0.0f) {
            EXPECT_TRUE(rects.empty());
            continue;
        }
        ASSERT_EQ(rects.size(), 2u);
        EXPECT_EQ(rects[0].colour, menu::kBarTrack);
        EXPECT_FLOAT_EQ(rects[0].w, 200.0f);
        EXPECT_FLOAT_EQ(rects[1].y, 66.0f);
        EXPECT_FLOAT_EQ(rects[1].w, c.fill);
        EXPECT_EQ(rects[1].colour, 0xff8cdc78u);
    }
}

TEST(ShotsToKill, PerShotDamageDividedIntoTheSuitsHitPointsRoundedUp)
{
    const tune::Tuning tuning{};
    tune::WeaponTuning harmless = tuning.Weapon(1);
    harmless.damage = 0.0f;
    tune::WeaponTuning noPellets = tuning.Weapon(1);
    noPellets.pellets = 0;
    const struct {
        const char* what;
        tune::WeaponTuning weapon;
        float zone;
        int32_t hitPoints;
        float damageFactor;
        int32_t shots;
    } cases[] = {
        {"shotgun body on blue", tuning.Weapon(2), 1.0f, 100, 1.0f, 2},
        {"shotgun head on blue", tuning.Weapon(2), 1.5f, 100, 1.0f, 1},
        {"m4 body on green", tuning.Weapon(1), 1.0f, 160, 1.0f, 16},
        {"m4 body on orange, who hits harder", tuning.Weapon(1), 1.0f, 80, 1.1f, 8},
        {"no pellets count as one", noPellets, 1.0f, 100, 1.0f, 10},
        {"a weapon that does no damage", harmless, 1.0f, 100, 1.0f, 0},
        {"a zone that takes none", tuning.Weapon(1), 0.0f, 100, 1.0f, 0},
        {"next to no damage", tuning.Weapon(1), 1e-30f, 100, 1.0f, std::numeric_limits<int32_t>::max()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(menu::ShotsToKill(c.weapon, c.zone, c.hitPoints, c.damageFactor), c.shots) << c.what;
    }
}

}  // namespace choicegridtest
