#pragma once

#include <cstdint>

// A duration in seconds as a count of steps of dt: seconds / max(dt, 0.000001), never negative,
// truncated, and saturating at 65535 instead of wrapping (a long duration must not turn short).
uint16_t TicksFromSeconds(float seconds, float dt);
