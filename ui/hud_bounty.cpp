#include "ui/hud_bounty.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"
#include "ui/sheet_icon.h"
#include "ui/ui_context.h"

namespace hud {

void DrawBounty(ui::Context& ctx, int32_t coins, int32_t bounty, const SheetIcon* coinIcon, float pulse) {
    render::UiRenderer& batch = ctx.batch;
    const float x0 = (float(batch.width) - 168.0f) / 2.0f;
    const float strength = std::clamp(pulse, 0.0f, 1.0f);

    ctx.Panel(x0, 14.0f, 168.0f, 40.0f);
    if (pulse > 0.0f) {
        const uint32_t frame = Gold(uint8_t(strength * 210.0f));
        batch.FillRect(x0 - 2.0f, 12.0f, 172.0f, 2.0f, frame);
        batch.FillRect(x0 - 2.0f, 54.0f, 172.0f, 2.0f, frame);
        batch.FillRect(x0 - 2.0f, 14.0f, 2.0f, 40.0f, frame);
        batch.FillRect(x0 + 168.0f, 14.0f, 2.0f, 40.0f, frame);
    }

    ui::DrawSheetIcon(ctx, coinIcon, x0 + 7.0f, 19.0f, 30.0f, 30.0f, White(255));
    char text[32];
    std::snprintf(text, sizeof text, "%d", coins);
    ctx.Label(x0 + 46.0f, 26.0f, text, 2.0f, kText);

    if (pulse > 0.0f) {
        ctx.LabelCentered(x0 + 84.0f, bounty > 0 ? 74.0f : 59.0f, "PRESS F TO SPEND IT", 1.25f,
                          Gold(uint8_t(strength * 255.0f)));
    }
    if (bounty > 0) {
        std::snprintf(text, sizeof text, "BOUNTY %d", bounty);
        ctx.LabelCentered(x0 + 84.0f, 58.0f, text, 1.15f, kBounty);
    }
}

float BountyPulse(double now, double affordableSince) {
    const double waited = now - affordableSince - 8.0;
    if (!(waited > 0.0)) return 0.0f;
    return float(std::min(waited * 2.0 / 3.0, 1.0) * (0.55 + 0.45 * std::sin(3.4 * now)));
}

}  // namespace hud
