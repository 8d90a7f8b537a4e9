#pragma once

#include <cstdint>

struct SheetIcon;

namespace ui {
struct Context;
}

namespace hud {

// The health panel at the bottom left: the armour's portrait, the team's name, one pip per life of
// the room (lit for those left), the health number and bar (green, amber, red as it falls; a green
// glow that throbs with `time` while overhealed above `maxHealth`, with the surplus and the seconds
// it lasts), and the spawn protection's countdown. `team` 255 is no team.
void DrawTimers(ui::Context& ctx, int32_t team, int32_t health, int32_t maxHealth, int32_t livesLeft,
                int32_t livesTotal, float protectedSeconds, const SheetIcon* portrait, float overhealSeconds,
                float time);

// How many life pips the room shows: none in a free-for-all room (game mode 1) or when its lives
// are unlimited, else the room's clamped life count.
int32_t LifePipCount(uint8_t gameMode, int lives);

}  // namespace hud
