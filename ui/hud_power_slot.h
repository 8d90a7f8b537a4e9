#pragma once

#include <cstdint>

struct SheetIcon;

namespace ui {
struct Context;
}

namespace hud {

// The selected power's slot at the bottom centre: lit and labelled in white when the power is
// available and off cooldown; otherwise the icon is shaded by the remaining cooldown fraction
// (wholly when the power is not available at all).
void DrawPowerSlot(ui::Context& ctx, const SheetIcon* icon, const char* label, float cooldown, bool available);

}  // namespace hud
