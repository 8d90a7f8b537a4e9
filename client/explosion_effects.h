#pragma once
// What a projectile going off looks like: one large flash at the point and fragment flashes
// scattered in a ball around it.
#include <glm/vec3.hpp>

#include "game/tuning.h"

struct Effects;

// The flash, then the fragment count (truncated) of fragments within the explosion radius times
// the fragment distance scale.
void SpawnExplosion(Effects& effects, const glm::vec3& point, const tune::Tuning& tuning);
