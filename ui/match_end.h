#pragma once
// The banner over the end of a match: which team won, and whether that was the player's.
#include <cstdint>

namespace ui {
struct Context;
}

namespace hud {

// Nothing when no team won (winner 255).
void DrawMatchEnd(ui::Context& ctx, uint8_t winner, uint8_t localTeam);

}  // namespace hud
