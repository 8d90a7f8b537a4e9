#pragma once

#include <cstdint>

struct SheetIcon;

namespace ui {
struct Context;
}

namespace hud {

// The match currency and the player's bounty at the top centre. A pulse above 0 frames the panel
// in gold and reminds the player that an upgrade is affordable.
void DrawBounty(ui::Context& ctx, int32_t coins, int32_t bounty, const SheetIcon* coinIcon, float pulse);

// The reminder's pulse `now` seconds into the clock when the cheapest upgrade has been affordable
// without a break since `affordableSince`: 0 for the first 8 s, then fading in over 1.5 s while it
// throbs.
float BountyPulse(double now, double affordableSince);

}  // namespace hud
