#pragma once
// Sparks that rise from a column above a point: the embers of a burning character.
#include <glm/vec3.hpp>

#include "game/tuning.h"

struct Effects;

struct RisingSparkLook {
    glm::vec3 firstColour{1.0f};
    glm::vec3 secondColour{1.0f};
    float intensity = 1.0f;
    float size = 0.1f;
    float growthValue = 0.0f;  // the sparks grow by 0.35 times this per second
    float lifetime = 1.0f;     // scaled by 0.7 to 1.3 per spark
};

// The embers of a burning character take the flame's look: its hot and cool colours, the flame
// particle's size, intensity, lifetime and growth value.
RisingSparkLook EmberLook(const tune::FlameTuning& flame);

// `count` sparks through Effects::Spawn, each from a random height up to `height` above `origin`.
void SpawnRisingSparks(Effects& effects, const glm::vec3& origin, float height, const RisingSparkLook& look,
                       int count);
