#pragma once
// How a weapon row's tracers look: the shot feedback's defaults, with the row's own colour,
// intensity, width and lifetime where it sets them.
#include <glm/vec3.hpp>

#include "game/tuning.h"

struct TracerStyle {
    glm::vec3 colour{1.0f};
    float intensity = 1.0f;
    float width = 0.035f;
    float lifetime = 0.07f;
    float speed = 0.0f;  // 0: the tracer stands for its lifetime instead of flying
    float tail = 0.0f;
};

TracerStyle TracerStyleOf(const tune::Tuning& tuning, int weaponRow);
