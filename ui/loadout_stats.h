#pragma once
// The figures the loadout screen shows under its choices: one labelled value with an optional bar,
// and how many shots a weapon needs against a suit.
#include <cstdint>

namespace tune {
struct WeaponTuning;
}

namespace ui {
struct Context;
}

namespace menu {

// `label` at (x, y) and `value` right-aligned to x + w; when `fraction` is not negative, a bar
// under both, filled to `fraction` (at most whole) in `colour`.
void DrawStatRow(ui::Context& ctx, float x, float y, float w, const char* label, const char* value, float fraction,
                 uint32_t colour);

// Shots of `weapon` at point blank, all landing in the zone of `zoneMultiplier`, to take
// `hitPoints` from a suit whose wearer deals `damageFactor` times the damage; 0 when a shot does no
// damage.
int32_t ShotsToKill(const tune::WeaponTuning& weapon, float zoneMultiplier, int32_t hitPoints, float damageFactor);

}  // namespace menu
