#include "ui/match_end.h"

#include <cstdio>

#include "game/map_geometry.h"
#include "game/team.h"
#include "ui/hud_drawing.h"
#include "ui/ui_context.h"

namespace hud {

void DrawMatchEnd(ui::Context& ctx, uint8_t winner, uint8_t localTeam)
{
    if (winner == kTeamNone) return;
    const float cx = static_cast<float>(ctx.batch.width) / 2.0f;
    const float cy = static_cast<float>(ctx.batch.height) * 0.3f;
    ctx.Panel(cx - 260.0f, cy - 24.0f, 520.0f, 150.0f);
    char title[32];
    std::snprintf(title, sizeof(title), "%s TEAM WINS", TeamName(winner));
    ctx.LabelCentered(cx, cy + 8.0f, title, 3.5f, TeamColour(winner));
    if (localTeam == winner) {
        ctx.LabelCentered(cx, cy + 62.0f, "VICTORY", 2.0f, kGood);
    } else {
        ctx.LabelCentered(cx, cy + 62.0f, "DEFEAT", 2.0f, kDanger);
    }
    ctx.LabelCentered(cx, cy + 96.0f, "RETURNING TO THE LOBBY", 1.25f, kMutedText);
}

}  // namespace hud
