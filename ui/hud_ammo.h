#pragma once

#include <cstdint>

struct SheetIcon;

namespace ui {
struct Context;
}

namespace hud {

// The held weapon's panel at the top right: its icon and name, the rounds left (white, amber at a
// quarter of the magazine or less, red when empty) over the magazine, and while reloading a bar of
// the reload's progress.
void DrawAmmo(ui::Context& ctx, const char* weaponName, int32_t rounds, int32_t magazine, bool reloading,
              float reloadFraction, const SheetIcon* weaponIcon);

}  // namespace hud
