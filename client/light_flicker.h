#pragma once
// A short pulse that repeats on a fixed period, each index offset by 0.37 s so that several
// flickering things do not pulse together. The invisibility shimmer of characters, their held
// items and their accessories reads it.
#include "game/tuning.h"

// 0 outside the pulse; inside it a half sine of the pulse width, 0 to 1 and back.
float LightFlicker(double time, int index, const tune::InvisibilityTuning& settings);
// The pulse times the settings' peak.
float LightFlickerScaled(double time, int index, const tune::InvisibilityTuning& settings);
// The pulse mapped onto the settings' minimum to maximum.
float LightFlickerRange(double time, int index, const tune::InvisibilityTuning& settings);
