#pragma once

#include <cstdint>

namespace ui {
struct Context;
}

namespace hud {

// The notice in the middle of the screen while the local player is down: the respawn countdown and
// the lives left, or that none are left.
void DrawLives(ui::Context& ctx, float respawnSeconds, int32_t lives);

}  // namespace hud
