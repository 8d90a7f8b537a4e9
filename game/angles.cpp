#include "game/angles.h"

#include <cmath>

float AngleDelta(float a, float b) {
  // fmod is exact, so this wraps identically everywhere.
  float d = std::fmod(b - a + 180.0f, 360.0f);
  if (d < 0.0f) d += 360.0f;
  return d - 180.0f;
}
