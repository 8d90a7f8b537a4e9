#include "ui/loadout_stats.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "game/tuning.h"
#include "ui/menu_palette.h"
#include "ui/ui_context.h"

namespace menu {

void DrawStatRow(ui::Context& ctx, float x, float y, float w, const char* label, const char* value, float fraction,
                 uint32_t colour)
{
    ctx.Label(x, y, label, 1.25f, kGrey);
    ctx.Label(x + w - render::UiRenderer::MeasureText(value, 1.5f), y - 2.0f, value, 1.5f, kWhite);
    if (fraction >= 0.0f) {
        ctx.batch.FillRect(x, y + 16.0f, w, 3.0f, kBarTrack);
        ctx.batch.FillRect(x, y + 16.0f, std::min(fraction, 1.0f) * w, 3.0f, colour);
    }
}

int32_t ShotsToKill(const tune::WeaponTuning& weapon, float zoneMultiplier, int32_t hitPoints, float damageFactor)
{
    const float perShot = zoneMultiplier * weapon.damage * damageFactor * float(std::max(weapon.pellets, 1));
    if (!(perShot > 0.0f) || hitPoints <= 0) return 0;
    // A shot of next to no damage would need more shots than an int holds.
    const double shots = std::ceil(double(hitPoints) / double(perShot));
    return shots >= double(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                                 : int32_t(shots);
}

}  // namespace menu
