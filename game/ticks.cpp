#include "game/ticks.h"

#include <algorithm>

uint16_t TicksFromSeconds(float seconds, float dt) {
  const float ticks = seconds / std::max(dt, 0.000001f);
  if (!(ticks > 0.0f)) return 0;  // also NaN
  if (ticks >= 65535.0f) return 65535;
  return static_cast<uint16_t>(ticks);
}
