#include "game/angles.h"

#include <cmath>

float AngleDelta(float a, float b) {
  // fmod is exact, so this wraps identically everywhere.
  float d = std::fmod(b - a + 180.0f, 360.0f);
  if (d < 0.0f) d += 360.0f;
  // A remainder a hair below 0 rounds up to 360 when 360 is added, which would give +180; the turn
  // it stands for is the largest one below 180.
  const float delta = d - 180.0f;
  return delta >= 180.0f ? std::nextafter(180.0f, 0.0f) : delta;
}
