#include "ui/hud_ammo.h"

#include <algorithm>
#include <cstdio>

#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"
#include "ui/sheet_icon.h"
#include "ui/ui_context.h"

namespace hud {

namespace {

uint32_t RoundsColour(int32_t rounds, int32_t magazine) {
    if (rounds == 0) return kDanger;
    return rounds > magazine / 4 ? kText : kWarning;
}

}  // namespace

void DrawAmmo(ui::Context& ctx, const char* weaponName, int32_t rounds, int32_t magazine, bool reloading,
              float reloadFraction, const SheetIcon* weaponIcon) {
    render::UiRenderer& batch = ctx.batch;
    const float w = float(batch.width);

    ctx.Panel(w - 320.0f, 24.0f, 296.0f, 96.0f);
    ui::DrawSheetIcon(ctx, weaponIcon, w - 314.0f, 24.0f, 96.0f, 96.0f, White(255));
    ctx.Label(w - 306.0f, 94.0f, weaponName != nullptr ? weaponName : "", 1.5f, kMutedText);

    char roundsText[16], magazineText[20];
    std::snprintf(roundsText, sizeof roundsText, "%d", rounds);
    std::snprintf(magazineText, sizeof magazineText, "/ %d", magazine);
    const float mx = w - 40.0f - render::UiRenderer::MeasureText(magazineText, 1.75f);
    ctx.Label(mx, 80.0f, magazineText, 1.75f, kMutedText);
    ctx.Label(mx - 8.0f - render::UiRenderer::MeasureText(roundsText, 3.5f), 68.0f, roundsText, 3.5f,
              RoundsColour(rounds, magazine));

    if (reloading) {
        batch.FillRect(w - 212.0f, 108.0f, 172.0f, 4.0f, kBarTrack);
        batch.FillRect(w - 212.0f, 108.0f, std::clamp(reloadFraction, 0.0f, 1.0f) * 172.0f, 4.0f, kGood);
    }
}

}  // namespace hud
