#pragma once
// The flame weapon's particles and the aim of launched objects: plain geometry the server steps.
#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "game/collision_world.h"
#include "game/tuning.h"

namespace net {

struct FlameParticle {
    int32_t owner = -1;  // slot
    glm::vec3 position{0.0f};
    glm::vec3 velocity{0.0f};
    float age = 0.0f;  // seconds
};

// The point a ray from `start` along `direction` aims at: a wall hit at least `minimumDistance`
// away, else the point at that distance for a nearer wall, else the end of the trace.
glm::vec3 TraceAimTarget(const CollisionWorld& world, const glm::vec3& start, const glm::vec3& direction,
                         float traceLength, float minimumDistance);
// The unit vector from `from` to `to`; `fallback` when they are less than 0.0001 m apart.
glm::vec3 DirectionToward(const glm::vec3& from, const glm::vec3& to, const glm::vec3& fallback);

// Appends one particle at `origin`, its direction turned inside the cone by the uniform numbers
// `u1` (how far out) and `u2` (which way round).
void ShotSpread(std::vector<FlameParticle>& particles, int owner, const glm::vec3& origin,
                const glm::vec3& direction, const tune::FlameTuning& flame, float u1, float u2);
float FlameRadius(float age, const tune::FlameTuning& flame);
// Ages, drags and moves every particle; one that touched the world or outlived its lifetime is
// removed (the last particle moves into its place).
void AdvanceFlameParticles(std::vector<FlameParticle>& particles, float dt, const CollisionWorld& world,
                           const tune::FlameTuning& flame);

}  // namespace net
