#include "ui/hud_lives.h"

#include <algorithm>
#include <cstdio>

#include "ui/hud_drawing.h"
#include "ui/ui_context.h"

namespace hud {

void DrawLives(ui::Context& ctx, float respawnSeconds, int32_t lives) {
    const float cx = float(ctx.batch.width) * 0.5f, y0 = float(ctx.batch.height) * 0.56f;
    ctx.LabelCentered(cx, y0, "DOWN", 4.0f, kDanger);
    if (lives < 1) {
        ctx.LabelCentered(cx, y0 + 48.0f, "OUT OF LIVES", 1.75f, kMutedText);
        return;
    }
    char text[48];
    std::snprintf(text, sizeof text, "RESPAWNING IN %.1f", double(std::max(respawnSeconds, 0.0f)));
    ctx.LabelCentered(cx, y0 + 48.0f, text, 1.75f, kText);
    std::snprintf(text, sizeof text, "%d %s LEFT", lives, lives == 1 ? "LIFE" : "LIVES");
    ctx.LabelCentered(cx, y0 + 76.0f, text, 1.25f, kMutedText);
}

}  // namespace hud
