#include "game/exp_smooth.h"

#include "game/deterministic_math.h"

float ExpSmooth(float current, float target, float rate, float dt) {
  if (!(rate > 0.0f)) return target;
  return current + (target - current) * (1.0f - DetExp(-rate * dt));
}
