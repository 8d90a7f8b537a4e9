#include "support/collision_reference.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

#include <glm/glm.hpp>

namespace testsupport {

namespace {

void BlocksSphere(const CollisionWorld& world, const glm::vec3& start, const glm::vec3& motion, float radius,
                  SweepHit& result) {
    for (const Aabb& box : world.boxes) {
        glm::vec3 normal;
        const float t = SegmentBoxTest(start, motion, box.min - glm::vec3(radius), box.max + glm::vec3(radius), normal);
        if (t >= 0.0f && t < result.fraction) {
            result = {t, {start.x + motion.x * t, start.y + motion.y * t, start.z + motion.z * t}, normal, true};
        }
    }
}

}  // namespace

SweepHit ReferenceSweepSphere(const CollisionWorld& world, const glm::vec3& start, const glm::vec3& end,
                              float radius) {
    const glm::vec3 motion{end.x - start.x, end.y - start.y, end.z - start.z};
    SweepHit result;
    BlocksSphere(world, start, motion, radius, result);
    const float length = std::sqrt(motion.x * motion.x + motion.y * motion.y + motion.z * motion.z);
    const glm::vec3 direction = length > 1e-6f ? glm::vec3{motion.x / length, motion.y / length, motion.z / length}
                                               : glm::vec3{0.0f, 0.0f, -1.0f};
    const float r = radius > 0.0f ? radius : 0.0f;
    for (const Triangle& tri : world.triangles) {
        glm::vec3 normal;
        float t;
        if (r > 0.0f) {
            glm::vec3 lo = glm::min(glm::min(tri.v[0], tri.v[1]), tri.v[2]);
            glm::vec3 hi = glm::max(glm::max(tri.v[0], tri.v[1]), tri.v[2]);
            t = SegmentBoxTest(start, motion, lo - glm::vec3(r), hi + glm::vec3(r), normal);
        } else {
            const float distance = SegmentTriangleTest(start, direction, tri, normal);
            if (!(distance >= 0.0f && length > 1e-6f)) continue;
            t = distance / length;
        }
        if (t >= 0.0f && t <= 1.0f && t < result.fraction) {
            result = {t, {start.x + motion.x * t, start.y + motion.y * t, start.z + motion.z * t}, normal, true};
        }
    }
    if (world.hasFloor && motion.y < -1e-7f) {
        const float t = (radius + world.floorY - start.y) / motion.y;
        if (t >= 0.0f && t < result.fraction) {
            result = {t, {start.x + motion.x * t, start.y + motion.y * t, start.z + motion.z * t}, {0, 1, 0}, true};
        }
    }
    if (!result.hit) result.point = end;
    return result;
}

SweepHit ReferenceSweepShape(const CollisionWorld& world, const Aabb& box, const glm::vec3& motion) {
    // Blocks and the floor through a world that holds only them.
    CollisionWorld blocksOnly;
    blocksOnly.boxes = world.boxes;
    blocksOnly.hasFloor = false;
    SweepHit result = blocksOnly.SweepShape(box, motion);

    const glm::vec3 sweptMin = glm::min(box.min, box.min + motion) - glm::vec3(0.001f);
    const glm::vec3 sweptMax = glm::max(box.max, box.max + motion) + glm::vec3(0.001f);
    struct Entry {
        int64_t order;
        uint32_t index;
    };
    std::vector<Entry> order;
    int32_t qx0 = 0, qz0 = 0, qx1 = -1, qz1 = -1;
    if (world.cellsX > 0) world.CellRange(sweptMin, sweptMax, qx0, qz0, qx1, qz1);
    const int64_t last = int64_t(world.cellsX + 1) * int64_t(world.cellsZ + 1);
    for (uint32_t i = 0; i < world.triangles.size(); ++i) {
        const Triangle& tri = world.triangles[i];
        int32_t x0, z0, x1, z1;
        world.CellRange(glm::min(glm::min(tri.v[0], tri.v[1]), tri.v[2]),
                        glm::max(glm::max(tri.v[0], tri.v[1]), tri.v[2]), x0, z0, x1, z1);
        const int32_t fx = std::max(x0, qx0), fz = std::max(z0, qz0);
        const bool shared = fx <= std::min(x1, qx1) && fz <= std::min(z1, qz1);
        order.push_back({shared ? int64_t(fz) * world.cellsX + fx : last, i});
    }
    std::stable_sort(order.begin(), order.end(), [](const Entry& a, const Entry& b) { return a.order < b.order; });
    for (const Entry& e : order) SweepShapeTriangle(box, motion, world.triangles[e.index], result);

    if (world.hasFloor && motion.y < 0.0f) {
        float t = (world.floorY - box.min.y) / motion.y;
        if (t < 0.0f) t = 0.0f;
        if (t <= 1.0f && (!result.hit || t < result.fraction)) {
            result.fraction = t;
            result.normal = {0.0f, 1.0f, 0.0f};
            result.hit = true;
        }
    }
    const glm::vec3 middle = (box.min + box.max) / 2.0f;
    result.point = {middle.x + motion.x * result.fraction, middle.y + motion.y * result.fraction,
                    middle.z + motion.z * result.fraction};
    return result;
}

bool ReferenceOverlapsBox(const CollisionWorld& world, const Aabb& box) {
    for (const Aabb& block : world.boxes) {
        if (box.max.x > block.min.x && box.min.x < block.max.x && box.max.y > block.min.y &&
            box.min.y < block.max.y && box.max.z > block.min.z && box.min.z < block.max.z) {
            return true;
        }
    }
    for (const Triangle& tri : world.triangles) {
        if (BoxOverlapsTriangle(box, tri)) return true;
    }
    return false;
}

bool SameBits(const SweepHit& a, const SweepHit& b) {
    return std::memcmp(&a.fraction, &b.fraction, sizeof(float)) == 0 &&
           std::memcmp(&a.point, &b.point, sizeof(glm::vec3)) == 0 &&
           std::memcmp(&a.normal, &b.normal, sizeof(glm::vec3)) == 0 && a.hit == b.hit;
}

}  // namespace testsupport

#include <gtest/gtest.h>

#include "support/random_queries.h"

namespace testsupport {

namespace {

glm::vec3 RandomMotion(QueryRandom& random, float reach, int kind) {
    switch (kind % 5) {
        case 0: return {0.0f, random.Uniform(-reach, reach), 0.0f};                    // vertical
        case 1: return {random.Uniform(-reach, reach), 0.0f, random.Uniform(-reach, reach)};  // level
        case 2: return {random.Uniform(-reach, reach), 0.0f, 0.0f};                    // along x
        default: {
            const float x = random.Uniform(-reach, reach);
            const float y = random.Uniform(-reach, reach);
            const float z = random.Uniform(-reach, reach);
            return {x, y, z};
        }
    }
}

}  // namespace

void ExpectGridMatchesReference(const CollisionWorld& world, const glm::vec3& lo, const glm::vec3& hi,
                                uint64_t seed, int count) {
    QueryRandom random(seed);
    const glm::vec3 margin(4.0f, 2.0f, 4.0f);
    const glm::vec3 size = hi - lo;
    const float longReach = std::max(std::max(size.x, size.z), 8.0f);
    int failures = 0;
    int hits = 0;
    for (int i = 0; i < count && failures < 5; ++i) {
        const glm::vec3 start = random.PointIn(lo - margin, hi + margin);
        const float reach = (i % 3 == 0) ? longReach : 3.0f;
        const glm::vec3 end = start + RandomMotion(random, reach, i);
        const float radius = (i % 2 == 0) ? 0.0f : random.Uniform(0.05f, 1.0f);
        const SweepHit grid = world.SweepSphere(start, end, radius);
        const SweepHit reference = ReferenceSweepSphere(world, start, end, radius);
        hits += grid.hit;
        if (!SameBits(grid, reference)) {
            ++failures;
            ADD_FAILURE() << "sphere " << i << " from (" << start.x << ", " << start.y << ", " << start.z << ") to ("
                          << end.x << ", " << end.y << ", " << end.z << ") radius " << radius << ": grid "
                          << grid.fraction << " n(" << grid.normal.x << ", " << grid.normal.y << ", "
                          << grid.normal.z << "), reference " << reference.fraction << " n(" << reference.normal.x
                          << ", " << reference.normal.y << ", " << reference.normal.z << ")";
        }
    }
    EXPECT_GT(hits, count / 10) << "the sphere queries should meet the level often";
    failures = 0;
    hits = 0;
    for (int i = 0; i < count && failures < 5; ++i) {
        const glm::vec3 feet = random.PointIn(lo - margin, hi + margin);
        const float radius = (i % 4 == 0) ? random.Uniform(0.05f, 2.0f) : 0.35f;
        const float height = (i % 4 == 0) ? random.Uniform(0.1f, 3.0f) : 1.8f;
        const Aabb box = MakeBodyBox(feet, radius, height);
        const float reach = (i % 7 == 0) ? longReach : 1.0f;
        const glm::vec3 motion = (i % 11 == 0) ? glm::vec3(0.0f) : RandomMotion(random, reach, i);
        const SweepHit grid = world.SweepShape(box, motion);
        const SweepHit reference = ReferenceSweepShape(world, box, motion);
        hits += grid.hit;
        if (!SameBits(grid, reference)) {
            ++failures;
            ADD_FAILURE() << "box " << i << " at (" << feet.x << ", " << feet.y << ", " << feet.z << ") by ("
                          << motion.x << ", " << motion.y << ", " << motion.z << "): grid " << grid.fraction
                          << " n(" << grid.normal.x << ", " << grid.normal.y << ", " << grid.normal.z
                          << "), reference " << reference.fraction << " n(" << reference.normal.x << ", "
                          << reference.normal.y << ", " << reference.normal.z << ")";
        }
        const bool overlaps = world.OverlapsBox(box);
        if (overlaps != ReferenceOverlapsBox(world, box)) {
            ++failures;
            ADD_FAILURE() << "overlap " << i << " at (" << feet.x << ", " << feet.y << ", " << feet.z
                          << "): grid says " << overlaps;
        }
    }
    EXPECT_GT(hits, count / 10) << "the box queries should meet the level often";
}

}  // namespace testsupport
