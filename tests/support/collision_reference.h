#pragma once

// Reference answers for the collision world's queries that ignore its grid: every triangle is tested.
// Ties between surfaces met at the same fraction are decided in the order the grid walk defines, so a
// correct grid must agree with these to the bit.

#include "game/collision_world.h"

namespace testsupport {

// Blocks, then every triangle in index order, then the floor plane.
SweepHit ReferenceSweepSphere(const CollisionWorld& world, const glm::vec3& start, const glm::vec3& end,
                              float radius);
// Blocks, then every triangle ordered by the first cell of the query's range (z, then x) that lists it,
// then by index; then the floor plane.
SweepHit ReferenceSweepShape(const CollisionWorld& world, const Aabb& box, const glm::vec3& motion);
bool ReferenceOverlapsBox(const CollisionWorld& world, const Aabb& box);

// Bitwise equality of two results (a -0 normal component differs from +0).
bool SameBits(const SweepHit& a, const SweepHit& b);

}  // namespace testsupport

namespace testsupport {

// Runs `count` random rays, spheres, box sweeps and box overlaps (each) with start points inside the
// box lo..hi grown by a margin, and reports through gtest every query where the world and the
// reference differ in any bit (at most a few per kind).
void ExpectGridMatchesReference(const CollisionWorld& world, const glm::vec3& lo, const glm::vec3& hi,
                                uint64_t seed, int count);

}  // namespace testsupport
