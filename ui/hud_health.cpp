#include "ui/hud_health.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "game/map_geometry.h"
#include "game/match_options.h"
#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"
#include "ui/sheet_icon.h"
#include "ui/ui_context.h"

namespace hud {

namespace {

constexpr uint32_t kSpentPip = 0xff443630;
constexpr uint32_t kProtected = 0xffffc896;
constexpr float kBarWidth = 192.0f;
constexpr uint8_t kFreeForAll = 1;
constexpr int kUnlimitedLives = 100;

}  // namespace

void DrawTimers(ui::Context& ctx, int32_t team, int32_t health, int32_t maxHealth, int32_t livesLeft,
                int32_t livesTotal, float protectedSeconds, const SheetIcon* portrait, float overhealSeconds,
                float time) {
    render::UiRenderer& batch = ctx.batch;
    const float h = float(batch.height);
    const uint32_t teamColour = TeamColour(team);

    ctx.Panel(24.0f, h - 120.0f, 296.0f, 96.0f);
    if (portrait != nullptr && IsDrawable(*portrait)) {
        batch.FillRect(36.0f, h - 104.0f, 64.0f, 64.0f, kSlotFill);
        batch.StrokeRect(36.0f, h - 104.0f, 64.0f, 64.0f, 1.0f, teamColour);
        ui::DrawSheetIcon(ctx, portrait, 36.0f, h - 104.0f, 64.0f, 64.0f, White(255));
    }
    if (team != 255) ctx.Label(112.0f, h - 108.0f, TeamName(uint8_t(team)), 1.5f, teamColour);

    for (int32_t i = 0; i < livesTotal; ++i) {
        batch.FillRect(304.0f - float(livesTotal - i) * 18.0f + 6.0f, h - 107.0f, 12.0f, 12.0f,
                       i < livesLeft ? teamColour : kSpentPip);
    }

    const int32_t value = std::max(health, 0);
    const bool overhealed = maxHealth > 0 && value > maxHealth;
    const float ratio = maxHealth > 0 ? std::min(float(value) / float(maxHealth), 1.0f) : 0.0f;
    const float p = std::sin(time * 4.4f);
    const uint8_t pulseRed = uint8_t(155.0f + 35.0f * p), pulseBlue = uint8_t(180.0f + 30.0f * p);
    const uint32_t pulse = Rgba(pulseRed, 255, pulseBlue, 255);
    const uint32_t colour = overhealed ? pulse : ratio > 0.5f ? kGood : ratio > 0.25f ? kWarning : kDanger;

    char text[48];
    std::snprintf(text, sizeof text, "%d", value);
    ctx.Label(112.0f, h - 76.0f, text, 3.5f, colour);
    batch.FillRect(112.0f, h - 38.0f, kBarWidth, 6.0f, kBarTrack);
    batch.FillRect(112.0f, h - 38.0f, ratio * kBarWidth, 6.0f, colour);

    if (overhealed) {
        const float surplus = std::min(float(value - maxHealth) / float(std::max(maxHealth, 1)), 1.0f);
        for (int k = 1; k <= 3; ++k) {
            const float f = 2.0f * float(k);
            const float alpha = (140.25f - 35.0625f * float(k)) * (0.5f * p + 0.5f) * surplus;
            batch.FillRect(112.0f - f, h - 38.0f - f, 2.0f * f + ratio * kBarWidth, 2.0f * f + 6.0f,
                           WithAlpha(pulse, uint8_t(alpha)));
        }
        std::snprintf(text, sizeof text, "+%d  %.0fs", value - maxHealth, double(overhealSeconds));
        ctx.Label(304.0f - render::UiRenderer::MeasureText(text, 1.25f), h - 54.0f, text, 1.25f, pulse);
    }

    if (protectedSeconds > 0.0f) {
        std::snprintf(text, sizeof text, "PROTECTED %.1f", double(protectedSeconds));
        ctx.Label(112.0f, h - 90.0f, text, 1.25f, kProtected);
    }
}

int32_t LifePipCount(uint8_t gameMode, int lives) {
    if (gameMode == kFreeForAll || lives >= kUnlimitedLives) return 0;
    return ClampLives(lives);
}

}  // namespace hud
