#pragma once
// A puff of flame at a nozzle: the flame row's look, thrown into a narrow cone.
#include <glm/vec3.hpp>

#include "game/tuning.h"

struct Effects;

// Spawned by the shot passes of the frame (own and remote flame shots), before Effects::Update.
// The burst's count of particles (truncated), each thrown at a random tilt inside the burst cone
// around `direction` and a random azimuth, at the particle speed varied by the speed spread, in a
// colour between the hot and the cool one; every random number a fresh Rand01.
void FlameBurst(Effects& effects, const glm::vec3& point, const glm::vec3& direction, const tune::FlameTuning& flame);
