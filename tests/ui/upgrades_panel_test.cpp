// The upgrades panel read back from a headless frame: its buttons' captions and states for the
// levels, coins and Shift, what a click returns, the values and bounty, and which icon each row
// shows.
#include "ui/upgrades_panel.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/player_state.h"
#include "game/progression.h"
#include "screen_driver.h"
#include "ui/hud_drawing.h"
#include "ui_frame_support.h"

namespace upgradespaneltest {

using uitest::ScreenDriver;
using uitest::TextRun;

// The panel in ScreenDriver's 1600 x 900 window.
constexpr float kX0 = (1600.0f - 660.0f) / 2.0f;
constexpr float kY0 = (900.0f - 412.0f) / 2.0f;

PlayerState WithLevels(std::initializer_list<uint8_t> levels)
{
    PlayerState player;
    std::copy(levels.begin(), levels.end(), player.upgradeLevels);
    return player;
}

SheetIcon Icon(uint32_t texture)
{
    return SheetIcon{texture, 4, 4, 256, 256, 1, 1};
}

auto DrawPanel(ScreenDriver& d, const PlayerState& player, int32_t coins, int32_t bounty, bool* spendAll)
{
    return [&d, &player, coins, bounty, spendAll] {
        return hud::DrawUpgrades(d.ctx, player, coins, bounty, {}, nullptr, nullptr, spendAll);
    };
}

TEST(UpgradesPanel, CaptionsAndStatesFollowTheLevelCoinsAndShift)
{
    struct Case {
        uint8_t level;  // of every stat
        int32_t coins;
        bool shift;
        const char* caption;
        bool enabled;
    };
    for (const Case& c : {
             Case{20, 0, false, "MAX", false},
             Case{0, 0, false, "100", false},
             Case{7, 0, true, "450", false},
             Case{25, 5000, true, "MAX", false},
             Case{20, 5000, false, "MAX", false},
             Case{0, 450, true, "BUY 3", true},  // 100 + 150 + 200
             Case{0, 449, true, "BUY 2", true},
             Case{18, 99999, true, "BUY 2", true},  // no further than the top level
             Case{5, 349, true, "350", false},
             Case{0, 450, false, "100", true},
             Case{19, 1051, false, "1050", true},
         }) {
        SCOPED_TRACE(::testing::Message() << "level " << int(c.level) << ", " << c.coins << " coins");
        ScreenDriver d;
        const PlayerState player = WithLevels({c.level, c.level, c.level, c.level, c.level});
        ui::Input input = ScreenDriver::Away();
        input.shift = c.shift ? 1 : 0;
        d.Frame(input, DrawPanel(d, player, c.coins, 0, nullptr));
        EXPECT_EQ(d.Count(c.caption), 5u);
        EXPECT_TRUE(d.AllLabels(c.caption, c.enabled));
    }
}

TEST(UpgradesPanel, AClickReturnsItsRowAndWhetherShiftWasHeld)
{
    const PlayerState player = WithLevels({0, 20, 3, 0, 0});
    struct Case {
        int row;
        int32_t coins;
        bool shift;
        uint8_t result;
        bool spendAll;
    };
    for (const Case& c : {Case{2, 1000, false, 2, false}, Case{4, 1000, true, 4, true}, Case{0, 100, true, 0, true},
                          Case{1, 1000, true, hud::kNoUpgradeClicked, false},
                          Case{0, 99, false, hud::kNoUpgradeClicked, false}}) {
        SCOPED_TRACE(::testing::Message() << "row " << c.row << ", " << c.coins << " coins");
        ScreenDriver d;
        bool spendAll = true;
        const auto draw = DrawPanel(d, player, c.coins, 0, &spendAll);
        ui::Input press = ScreenDriver::At(kX0 + 585.0f, kY0 + 62.0f * c.row + 111.0f);
        press.shift = c.shift ? 1 : 0;
        press.mouseDown = 1;
        press.mousePressed = 1;
        EXPECT_EQ(d.Frame(press, draw), hud::kNoUpgradeClicked);
        EXPECT_FALSE(spendAll);
        spendAll = true;
        ui::Input release = press;
        release.mouseDown = 0;
        release.mousePressed = 0;
        EXPECT_EQ(d.Frame(release, draw), c.result);
        EXPECT_EQ(spendAll, c.spendAll);
    }

    // Without a flag to fill in, a click still reports its row.
    ScreenDriver d;
    EXPECT_EQ(d.Click(kX0 + 585.0f, kY0 + 62.0f * 3 + 111.0f, DrawPanel(d, player, 1000, 0, nullptr)), 3);
}

TEST(UpgradesPanel, ValuesCoinsAndBountyAreShown)
{
    struct Case {
        int32_t bounty;
        const char* bountyText;  // null: none drawn
    };
    for (const Case& c : {Case{0, nullptr}, Case{-5, nullptr}, Case{250, "250 ON YOUR HEAD"}}) {
        ScreenDriver d;
        const PlayerState player = WithLevels({0, 3, 20, 1, 0});
        d.Idle(DrawPanel(d, player, 1234, c.bounty, nullptr));

        EXPECT_EQ(d.Count("-"), 2u);
        for (const char* value : {"-", "3  (1.26x)", "20  (4.66x)", "1  (1.08x)"}) {
            const std::optional<TextRun> run = d.Find(value);
            ASSERT_TRUE(run) << value;
            EXPECT_NEAR(run->x + run->Width(), kX0 + 514.0f, 0.51f) << value;
            EXPECT_EQ(run->colour, value[0] == '-' ? hud::kMutedText : hud::kText) << value;
        }
        for (uint8_t stat = 0; stat < 5; ++stat) {
            EXPECT_TRUE(d.Has(StatLabel(stat))) << int(stat);
            EXPECT_TRUE(d.Has(StatBlurb(stat))) << int(stat);
        }
        // The coin count sits right of its icon's place, the pair centred on the panel.
        const std::optional<TextRun> coins = d.Find("1234");
        ASSERT_TRUE(coins);
        EXPECT_NEAR(coins->x, kX0 + 330.0f - (4 * 8 * 1.75f / 2.0f + 17.0f) + 34.0f, 0.51f);

        size_t bountyLines = 0;
        for (const TextRun& run : d.Texts()) {
            bountyLines += run.text.find("ON YOUR HEAD") != std::string::npos ? 1 : 0;
        }
        EXPECT_EQ(bountyLines, c.bountyText ? 1u : 0u) << c.bounty;
        if (c.bountyText) {
            const std::optional<TextRun> run = d.Find(c.bountyText);
            ASSERT_TRUE(run);
            EXPECT_NEAR(run->x + run->Width(), kX0 + 642.0f, 0.51f);
            EXPECT_EQ(run->colour, hud::kBounty);
        }
    }
}

TEST(UpgradesPanel, RowsShowTheirStatIconAndTheLastRowTheSeparateOne)
{
    const std::vector<SheetIcon> stats = {Icon(11), Icon(12), Icon(13), Icon(14), Icon(15)};
    const SheetIcon fifth = Icon(99);
    const SheetIcon coin = Icon(77);
    SheetIcon broken = Icon(98);
    broken.row = -1;
    struct Case {
        const char* what;
        size_t statCount;
        const SheetIcon* fifthIcon;
        const SheetIcon* coinIcon;
        std::vector<uint32_t> textures;  // in drawing order
    };
    const Case cases[] = {
        {"four stat icons", 4, &fifth, &coin, {77, 11, 12, 13, 14, 99}},
        {"a fifth stat icon is not used", 5, &fifth, &coin, {77, 11, 12, 13, 14, 99}},
        {"too few stat icons", 2, &fifth, &coin, {77, 11, 12, 99, 99, 99}},
        {"no icons", 0, nullptr, nullptr, {}},
        {"undrawable separate icon", 3, &broken, &coin, {77, 11, 12, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui::Context ctx;
        ctx.BeginFrame(1600, 900, ui::Input{});
        const PlayerState player;
        hud::DrawUpgrades(ctx, player, 500, 0, std::span<const SheetIcon>(stats.data(), c.statCount), c.fifthIcon,
                          c.coinIcon, nullptr);
        std::vector<uint32_t> textures;
        for (const render::UiDrawCmd& command : ctx.batch.commands) textures.push_back(command.texture);
        EXPECT_EQ(textures, c.textures);
        EXPECT_EQ(ctx.batch.spriteVertices.size(), 6 * c.textures.size());
        uitest::EndFrameWithoutDrawing(ctx);
    }
}

}  // namespace upgradespaneltest
