#pragma once

// Deterministic random query generation for comparing collision answers.

#include <cstdint>

#include <glm/vec3.hpp>

#include "game/collision_world.h"

namespace testsupport {

// A small, fixed generator (the standard engines' distributions differ between library versions).
struct QueryRandom {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    explicit QueryRandom(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next();
    float Uniform(float lo, float hi);
    glm::vec3 PointIn(const glm::vec3& lo, const glm::vec3& hi);
};

}  // namespace testsupport
