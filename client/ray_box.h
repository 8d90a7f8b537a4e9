#pragma once
#include <glm/vec3.hpp>

// A ray against an axis-aligned box, slab by slab over x, y and z: the entry distance in
// [0, maxDistance] when it hits. A ray parallel to a slab hits only from inside it.
bool RayBoxHit(const glm::vec3& origin, const glm::vec3& direction, const glm::vec3& boxMin, const glm::vec3& boxMax,
               float maxDistance, float& entry);
