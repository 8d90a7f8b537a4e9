#pragma once
// The short flash where a shot leaves a barrel.
#include <glm/vec3.hpp>

#include "game/tuning.h"

struct Effects;

// How far ahead of the muzzle the flash of a shot stands.
constexpr float kMuzzleFlashAhead = 0.06f;

// The shot feedback's muzzle flash `kMuzzleFlashAhead` ahead of `muzzle` along `direction`.
void SpawnMuzzleFlash(Effects& effects, const glm::vec3& muzzle, const glm::vec3& direction,
                      const tune::ShotFeedbackTuning& feedback);
