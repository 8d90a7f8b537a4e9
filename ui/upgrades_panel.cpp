#include "ui/upgrades_panel.h"

#include <cstdio>

#include "game/player_state.h"
#include "game/progression.h"
#include "ui/hud_drawing.h"
#include "ui/ui_context.h"

namespace hud {
namespace {

constexpr float kPanelWidth = 660.0f;
constexpr float kPanelHeight = 412.0f;
constexpr float kRowStep = 62.0f;
constexpr int32_t kTopLevel = 20;
constexpr uint32_t kWindowDim = 0x96000000;
constexpr uint32_t kRowPlate = 0xff1a1310;
constexpr uint32_t kBuyFill = 0xff40322c;
constexpr uint32_t kCannotBuyFill = 0xff302622;
constexpr uint32_t kUntinted = 0xffffffff;
constexpr float kButtonTextScale = 2.0f;

// Levels bought one after another from `level`, each at its own price, while the coins last.
int32_t AffordableLevels(int32_t level, int32_t coins)
{
    int32_t count = 0;
    while (level < kTopLevel && coins >= StatUpgradeCost(level)) {
        coins -= StatUpgradeCost(level);
        ++level;
        ++count;
    }
    return count;
}

void LabelRightAligned(ui::Context& ctx, float right, float y, const char* text, float scale, uint32_t colour)
{
    ctx.Label(right - render::UiRenderer::MeasureText(text, scale), y, text, scale, colour);
}

}  // namespace

uint8_t DrawUpgrades(ui::Context& ctx, const PlayerState& player, int32_t coins, int32_t bounty,
                     std::span<const SheetIcon> statIcons, const SheetIcon* fifthIcon, const SheetIcon* coinIcon,
                     bool* spendAll)
{
    if (spendAll != nullptr) *spendAll = false;
    render::UiRenderer& batch = ctx.batch;
    const float W = static_cast<float>(batch.width);
    const float H = static_cast<float>(batch.height);
    const float x0 = (W - kPanelWidth) / 2.0f;
    const float y0 = (H - kPanelHeight) / 2.0f;
    const float cx = x0 + kPanelWidth / 2.0f;

    batch.FillRect(0.0f, 0.0f, W, H, kWindowDim);
    ctx.Panel(x0, y0, kPanelWidth, kPanelHeight);
    ctx.LabelCentered(cx, y0 + 14.0f, "UPGRADES", 2.0f, kText);
    ctx.LabelCentered(cx, y0 + 40.0f, "F to close  --  shift-click to spend it all on one line", 1.15f, kMutedText);

    char text[48];
    std::snprintf(text, sizeof(text), "%d", coins);
    const float ix = cx - (render::UiRenderer::MeasureText(text, 1.75f) / 2.0f + 17.0f);
    ui::DrawSheetIcon(ctx, coinIcon, ix, y0 + 56.0f, 26.0f, 26.0f, kUntinted);
    ctx.Label(ix + 34.0f, y0 + 58.0f, text, 1.75f, kText);
    if (bounty > 0) {
        std::snprintf(text, sizeof(text), "%d ON YOUR HEAD", bounty);
        LabelRightAligned(ctx, x0 + 642.0f, y0 + 62.0f, text, 1.15f, kBounty);
    }

    const bool shift = ctx.input.shift != 0;
    uint8_t clicked = kNoUpgradeClicked;
    for (uint8_t i = 0; i < kUpgradeTrackCount; ++i) {
        const float ry = y0 + kRowStep * i;
        const int32_t level = player.upgradeLevels[i];
        const int32_t cost = StatUpgradeCost(level);
        batch.FillRect(x0 + 12.0f, ry + 84.0f, 636.0f, 54.0f, kRowPlate);
        // The last stat has no picture on the stats sheet, so it always takes the separate one.
        const bool ownIcon = i + 1 < kUpgradeTrackCount && size_t{i} < statIcons.size();
        ui::DrawSheetIcon(ctx, ownIcon ? &statIcons[i] : fifthIcon, x0 + 20.0f, ry + 90.0f, 42.0f, 42.0f, kUntinted);
        ctx.Label(x0 + 76.0f, ry + 92.0f, StatLabel(i), 1.5f, kText);
        ctx.Label(x0 + 76.0f, ry + 114.0f, StatBlurb(i), 1.0f, kMutedText);
        if (level == 0) {
            LabelRightAligned(ctx, x0 + 514.0f, ry + 102.0f, "-", 1.25f, kMutedText);
        } else {
            std::snprintf(text, sizeof(text), "%d  (%.2fx)", level, static_cast<double>(StatMultiplier(level)));
            LabelRightAligned(ctx, x0 + 514.0f, ry + 102.0f, text, 1.25f, kText);
        }

        const bool buyable = level < kTopLevel && coins >= cost;
        if (level >= kTopLevel) {
            std::snprintf(text, sizeof(text), "MAX");
        } else if (shift && coins >= cost) {
            std::snprintf(text, sizeof(text), "BUY %d", AffordableLevels(level, coins));
        } else {
            std::snprintf(text, sizeof(text), "%d", cost);
        }
        if (ctx.Button(kUpgradeButtonId + i, x0 + 530.0f, ry + 92.0f, 110.0f, 38.0f, text, buyable,
                       buyable ? kBuyFill : kCannotBuyFill, kButtonTextScale)) {
            clicked = i;
            if (spendAll != nullptr) *spendAll = shift;
        }
    }
    return clicked;
}

}  // namespace hud
