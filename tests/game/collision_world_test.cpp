#include "game/collision_world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "support/collision_reference.h"
#include "support/gltf_text.h"
#include "support/random_queries.h"

namespace {

using testsupport::ExpectGridMatchesReference;

// Two triangles forming a square in the plane y = h, from (x0, z0) to (x1, z1).
void AddQuad(std::vector<Triangle>& out, float x0, float z0, float x1, float z1, float h) {
    out.push_back({{{x0, h, z0}, {x1, h, z0}, {x1, h, z1}}});
    out.push_back({{{x0, h, z0}, {x1, h, z1}, {x0, h, z1}}});
}

// A small level: a 20 x 20 m floor, a wall along x = 6 (z -4..4, 3 m high), a 30-degree ramp rising
// along +z from z = -8 to z = -4 (x -2..2), and a pillar of two crossed triangles.
std::vector<Triangle> FixtureLevel() {
    std::vector<Triangle> t;
    AddQuad(t, -10, -10, 10, 10, 0);
    t.push_back({{{6, 0, -4}, {6, 0, 4}, {6, 3, 4}}});
    t.push_back({{{6, 0, -4}, {6, 3, 4}, {6, 3, -4}}});
    const float rise = 4.0f * std::tan(30.0f * 0.017453292f);
    t.push_back({{{-2, 0, -8}, {2, 0, -8}, {2, rise, -4}}});
    t.push_back({{{-2, 0, -8}, {2, rise, -4}, {-2, rise, -4}}});
    t.push_back({{{-5, 0, 5}, {-4, 0, 6}, {-4.5f, 4, 5.5f}}});
    t.push_back({{{-5, 0, 6}, {-4, 0, 5}, {-4.5f, 4, 5.5f}}});
    return t;
}

TEST(CollisionWorld, NeverFilledWorldIsAFloorAtZero) {
    const CollisionWorld world;
    const SweepHit ray = world.SweepSphere({0, 5, 0}, {0, -5, 0}, 0.0f);
    EXPECT_TRUE(ray.hit);
    EXPECT_EQ(ray.fraction, 0.5f);
    EXPECT_EQ(ray.normal, glm::vec3(0, 1, 0));
    EXPECT_EQ(ray.point, glm::vec3(0, 0, 0));
    const SweepHit sphere = world.SweepSphere({0, 5, 0}, {0, -5, 0}, 0.5f);
    EXPECT_EQ(sphere.fraction, 0.45f);
    EXPECT_FLOAT_EQ(sphere.point.y, 0.5f);
    const SweepHit box = world.SweepShape(MakeBodyBox({0, 1, 0}, 0.35f, 1.8f), {0, -2, 0});
    EXPECT_TRUE(box.hit);
    EXPECT_EQ(box.fraction, 0.5f);
    EXPECT_EQ(box.point, glm::vec3(0, 0.9f, 0));
    EXPECT_FALSE(world.OverlapsBox(MakeBodyBox({0, -1, 0}, 0.35f, 1.8f))) << "the floor plane is not an overlap";
}

TEST(CollisionWorld, EmptyTriangleListMakesNothingSolid) {
    CollisionWorld world;
    std::vector<Triangle> none;
    EXPECT_TRUE(world.SetTriangles(std::move(none)));
    EXPECT_FALSE(world.hasFloor);
    EXPECT_EQ(world.cellsX, 0);
    const SweepHit ray = world.SweepSphere({0, 5, 0}, {0, -5, 0}, 0.0f);
    EXPECT_FALSE(ray.hit);
    EXPECT_EQ(ray.fraction, 1.0f);
    EXPECT_EQ(ray.point, glm::vec3(0, -5, 0));
    EXPECT_FALSE(world.SweepSphere({0, 5, 0}, {0, -5, 0}, 0.3f).hit);
    const SweepHit box = world.SweepShape(MakeBodyBox({0, 1, 0}, 0.35f, 1.8f), {0, -2, 0});
    EXPECT_FALSE(box.hit);
    EXPECT_NEAR(box.point.y, -0.1f, 1e-6f);
}

TEST(CollisionWorld, SetTrianglesTakesTheVectorAndBuildsTheGrid) {
    CollisionWorld world;
    world.AddBox({0, 0, 0}, {1, 1, 1});
    std::vector<Triangle> level = FixtureLevel();
    const size_t count = level.size();
    ASSERT_TRUE(world.SetTriangles(std::move(level)));
    EXPECT_TRUE(level.empty());
    EXPECT_EQ(world.triangles.size(), count);
    EXPECT_TRUE(world.boxes.empty());
    EXPECT_FALSE(world.hasFloor);
    // Bounds x -10..10, z -10..10, origin one cell below: 28 / 4 = 7 cells of 4 m each way.
    EXPECT_EQ(world.originX, -14.0f);
    EXPECT_EQ(world.originY, -4.0f);
    EXPECT_EQ(world.originZ, -14.0f);
    EXPECT_EQ(world.cellsX, 7);
    EXPECT_EQ(world.cellsZ, 7);
    ASSERT_EQ(world.cellStart.size(), 50u);
    EXPECT_EQ(world.cellStart.front(), 0);
    EXPECT_EQ(size_t(world.cellStart.back()), world.cellTriangles.size());
    for (int c = 0; c < 49; ++c) {
        for (int i = world.cellStart[size_t(c)] + 1; i < world.cellStart[size_t(c) + 1]; ++i) {
            EXPECT_LT(world.cellTriangles[size_t(i) - 1], world.cellTriangles[size_t(i)]) << "cell " << c;
        }
    }
    // The floor's two triangles span cells 1..6 each way (x = 10 lies on the border of cell 6).
    int listedFloor = 0;
    for (uint32_t index : world.cellTriangles) listedFloor += index < 2;
    EXPECT_EQ(listedFloor, 2 * 36);
    EXPECT_EQ(world.cellStart[7], 0) << "row z = 0 is margin";
}

TEST(CollisionWorld, GridRefusesAbsurdExtents) {
    const struct {
        const char* what;
        std::vector<Triangle> triangles;
    } cases[] = {
        {"a level 40,000 km wide", {{{{-2e7f, 0, 0}, {2e7f, 0, 0}, {0, 0, 1}}}}},
        {"an infinite vertex", {{{{0, 0, 0}, {INFINITY, 0, 0}, {0, 0, 1}}}}},
        {"an infinite height", {{{{0, 0, 0}, {1, INFINITY, 0}, {0, 0, 1}}}}},
        {"a negative infinite height", {{{{0, 0, 0}, {1, 0, 0}, {0, -INFINITY, 1}}}}},
        {"NaN in x", {{{{0, 0, 0}, {1, 0, 0}, {NAN, 0, 1}}}}},
        {"NaN in y", {{{{0, NAN, 0}, {1, 0, 0}, {0, 0, 1}}}}},
        {"NaN in z", {{{{0, 0, 0}, {1, 0, NAN}, {0, 0, 1}}}}},
        {"NaN after finite triangles",
         {{{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}}, {{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}}, {{{5, 0, 5}, {6, 0, 5}, {5, NAN, 6}}}}},
        {"huge triangles listed in millions of cells",
         std::vector<Triangle>(20, Triangle{{{0, 0, 0}, {8000, 0, 0}, {0, 0, 8000}}})},
    };
    for (const auto& c : cases) {
        CollisionWorld world;
        std::vector<Triangle> triangles = c.triangles;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(world.SetTriangles(std::move(triangles))) << c.what;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(testsupport::CountLines(err), 1) << c.what << ": " << err;
        EXPECT_EQ(err.rfind("[collision] ", 0), 0u) << err;
        EXPECT_TRUE(world.triangles.empty() && world.cellTriangles.empty()) << c.what;
        EXPECT_EQ(world.cellsX, 0);
        EXPECT_TRUE(world.hasFloor) << "a refused level leaves the empty world";
    }
}

TEST(CollisionWorld, GreyboxBlocks) {
    CollisionWorld world;
    world.BuildGreybox();
    ASSERT_EQ(world.boxes.size(), 12u);
    EXPECT_TRUE(world.hasFloor);
    EXPECT_EQ(world.floorY, 0.0f);
    EXPECT_TRUE(world.triangles.empty());
    EXPECT_EQ(world.cellsX, 0);
    // Step tops 0.25 .. 1.25, from x = 5.4 to 11.4.
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(world.boxes[size_t(i)].max.y, 0.25f * float(i + 1)) << i;
        EXPECT_FLOAT_EQ(world.boxes[size_t(i)].min.z, -6.0f);
    }
    EXPECT_FLOAT_EQ(world.boxes[0].min.x, 5.4f);
    EXPECT_FLOAT_EQ(world.boxes[4].max.x, 11.4f);
    EXPECT_EQ(world.boxes[11].min, glm::vec3(3.6f, 0.0f, -3.0f));
    EXPECT_EQ(world.boxes[11].max, glm::vec3(4.4f, 3.0f, 3.0f));
}

TEST(CollisionWorld, GreyboxRayCases) {
    CollisionWorld world;
    world.BuildGreybox();
    const struct {
        const char* what;
        glm::vec3 start, end;
        float radius;
        bool hit;
        float fraction;
        glm::vec3 normal;
    } cases[] = {
        {"starts inside the 2 m block", {-8, 1, -6}, {0, 1, -6}, 0.0f, true, 0.0f, {0, 0, 0}},
        {"level ray into the thin wall", {0, 1, 0}, {8, 1, 0}, 0.0f, true, 0.45f, {-1, 0, 0}},
        {"ray in the plane of the platform's top counts as inside", {-1, 0.7f, 5}, {5, 0.7f, 5}, 0.0f, true,
         0.25f, {-1, 0, 0}},
        {"ray just above the platform misses it", {-1, 0.71f, 5}, {-1, 0.71f, 8}, 0.0f, false, 1.0f, {0, 0, 0}},
        {"down onto the third step", {8.4f, 3, -4}, {8.4f, -1, -4}, 0.0f, true, 0.5625f, {0, 1, 0}},
        {"sphere down onto the floor", {0, 3, 0}, {0, -1, 0}, 0.5f, true, 0.625f, {0, 1, 0}},
        {"sphere into the thin wall stops a radius early", {0, 1, 0}, {8, 1, 0}, 0.4f, true, 0.4f, {-1, 0, 0}},
        {"wall along -z from inside the level", {0, 1, 0}, {0, 1, -20}, 0.0f, true, 0.575f, {0, 0, 1}},
    };
    for (const auto& c : cases) {
        const SweepHit hit = world.SweepSphere(c.start, c.end, c.radius);
        EXPECT_EQ(hit.hit, c.hit) << c.what;
        EXPECT_FLOAT_EQ(hit.fraction, c.fraction) << c.what;
        EXPECT_EQ(hit.normal, c.normal) << c.what;
        const glm::vec3 expected = c.hit ? c.start + (c.end - c.start) * hit.fraction : c.end;
        EXPECT_EQ(hit.point, expected) << c.what;
    }
}

TEST(CollisionWorld, BoxStartingInAWallIsStoppedOnlyWhenMovingIn) {
    CollisionWorld world;
    world.BuildGreybox();
    // Overlaps the thin wall (x 3.6..4.4) by 0.2 m from the -x side.
    const Aabb box{{3.0f, 0.5f, -0.5f}, {3.8f, 1.5f, 0.5f}};
    const struct {
        const char* what;
        glm::vec3 motion;
        bool hit;
    } cases[] = {
        {"moving in", {1, 0, 0}, true},
        {"moving away", {-1, 0, 0}, false},
        {"moving along", {0, 0, 1}, false},
        {"standing still", {0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        const SweepHit hit = world.SweepShape(box, c.motion);
        EXPECT_EQ(hit.hit, c.hit) << c.what;
        if (c.hit) {
            EXPECT_EQ(hit.fraction, 0.0f) << c.what;
            EXPECT_EQ(hit.normal, glm::vec3(-1, 0, 0)) << c.what << ": the penetration normal";
        } else {
            EXPECT_EQ(hit.fraction, 1.0f) << c.what;
        }
    }
    EXPECT_TRUE(world.OverlapsBox(box));
}

TEST(CollisionWorld, BoxSweepCases) {
    CollisionWorld world;
    world.BuildGreybox();
    // A body walking into the first step (x from 5.4) from x = 4.8 + 0.35: contact after 0.25 m.
    const SweepHit step = world.SweepShape(MakeBodyBox({4.8f, 0, -4}, 0.35f, 1.8f), {1, 0, 0});
    EXPECT_TRUE(step.hit);
    EXPECT_NEAR(step.fraction, 0.25f, 1e-5f);
    EXPECT_EQ(step.normal, glm::vec3(-1, 0, 0));
    // Standing on the floor and sliding along it is not stopped; pushing into it is stopped at 0.
    const Aabb standing = MakeBodyBox({0, 0, 2}, 0.35f, 1.8f);
    EXPECT_FALSE(world.SweepShape(standing, {0.5f, 0, 0}).hit);
    const SweepHit down = world.SweepShape(standing, {0, -0.06f, 0});
    EXPECT_TRUE(down.hit);
    EXPECT_EQ(down.fraction, 0.0f);
    EXPECT_EQ(down.normal, glm::vec3(0, 1, 0));
    // Landing on the low platform (top 0.7) from above.
    const SweepHit land = world.SweepShape(MakeBodyBox({2, 1.7f, 5}, 0.35f, 1.8f), {0, -2, 0});
    EXPECT_TRUE(land.hit);
    EXPECT_FLOAT_EQ(land.fraction, 0.5f);
    EXPECT_EQ(land.normal, glm::vec3(0, 1, 0));
    EXPECT_FLOAT_EQ(land.point.y, 0.7f + 0.9f);
}

TEST(CollisionWorld, OverlapTouchingIsNotOverlapping) {
    CollisionWorld world;
    world.BuildGreybox();
    EXPECT_FALSE(world.OverlapsBox({{4.4f, 0.5f, -1}, {5.0f, 1.5f, 1}})) << "touches the thin wall's face";
    EXPECT_TRUE(world.OverlapsBox({{4.39f, 0.5f, -1}, {5.0f, 1.5f, 1}}));
    EXPECT_FALSE(world.OverlapsBox({{1, 0.7f, 4}, {2, 1.5f, 5}})) << "rests on the platform's top";
    std::vector<Triangle> level = FixtureLevel();
    ASSERT_TRUE(world.SetTriangles(std::move(level)));
    EXPECT_FALSE(world.OverlapsBox({{6.0f, 1, -1}, {7, 2, 1}})) << "touches the wall triangle's plane";
    EXPECT_TRUE(world.OverlapsBox({{5.99f, 1, -1}, {7, 2, 1}}));
    EXPECT_FALSE(world.OverlapsBox(MakeBodyBox({0, 0, 0}, 0.35f, 1.8f))) << "stands on the floor triangles";
    EXPECT_TRUE(world.OverlapsBox(MakeBodyBox({0, -0.01f, 0}, 0.35f, 1.8f)));
}

TEST(CollisionWorld, SphereStopsAtTheGrownBoundsOfASlope) {
    CollisionWorld world;
    std::vector<Triangle> level = FixtureLevel();
    ASSERT_TRUE(world.SetTriangles(std::move(level)));
    // Above the low end of the ramp (z = -7.5) the surface is about 0.29 m high, but the ramp's bounds
    // reach 2.31 m: a sphere of 0.25 stops at 2.31 + 0.25 while a ray goes on to the surface.
    const float rise = 4.0f * std::tan(30.0f * 0.017453292f);
    const SweepHit sphere = world.SweepSphere({0, 10, -7.5f}, {0, 0, -7.5f}, 0.25f);
    EXPECT_TRUE(sphere.hit);
    EXPECT_NEAR(sphere.point.y, rise + 0.25f, 1e-5f);
    EXPECT_EQ(sphere.normal, glm::vec3(0, 1, 0));
    const SweepHit ray = world.SweepSphere({0, 10, -7.5f}, {0, 0, -7.5f}, 0.0f);
    EXPECT_TRUE(ray.hit);
    EXPECT_NEAR(ray.point.y, 0.5f * std::tan(30.0f * 0.017453292f), 1e-5f);
    EXPECT_NEAR(ray.normal.y, std::cos(30.0f * 0.017453292f), 1e-5f);
    EXPECT_LT(ray.normal.z, 0.0f) << "the ramp rises along +z, so its upper face leans towards -z";
}

TEST(CollisionWorld, EqualFractionsKeepTheFirstSurfaceInOrder) {
    // A triangle in the plane x = y through the origin and the floor plane both meet the downward ray
    // from (0, 5, 0) at exactly 0.5; a block whose top is y = 0 meets it there too.
    CollisionWorld world;
    ASSERT_TRUE(world.SetTriangles({Triangle{{{0, 0, 0}, {2, 2, -1}, {2, 2, 1}}}}));
    world.hasFloor = true;
    const SweepHit triangleFirst = world.SweepSphere({0, 5, 0}, {0, -5, 0}, 0.0f);
    ASSERT_EQ(triangleFirst.fraction, 0.5f);
    EXPECT_NEAR(triangleFirst.normal.x, -0.70710678f, 1e-6f) << "the triangle beats the floor";
    world.AddBox({0, -1, 0}, {1, 1, 1});
    const SweepHit blockFirst = world.SweepSphere({0, 5, 0}, {0, -5, 0}, 0.0f);
    EXPECT_EQ(blockFirst.fraction, 0.5f);
    EXPECT_EQ(blockFirst.normal, glm::vec3(0, 1, 0)) << "the block beats the triangle";
}

TEST(CollisionWorld, QueriesFromOutsideTheGridStartInTheBorderCell) {
    CollisionWorld world;
    std::vector<Triangle> level = FixtureLevel();
    ASSERT_TRUE(world.SetTriangles(std::move(level)));
    // From 100 m out along -x towards the wall at x = 6 (the floor lies below the ray).
    const SweepHit ray = world.SweepSphere({-100, 1, 0}, {20, 1, 0}, 0.0f);
    EXPECT_TRUE(ray.hit);
    EXPECT_NEAR(ray.point.x, 6.0f, 1e-4f);
    EXPECT_EQ(ray.normal, glm::vec3(-1, 0, 0));
    const SweepHit sphere = world.SweepSphere({-100, 1, 0}, {20, 1, 0}, 0.5f);
    EXPECT_TRUE(sphere.hit);
    EXPECT_NEAR(sphere.point.x, 5.5f, 1e-4f);
    const SweepHit box = world.SweepShape(MakeBodyBox({-100, 0.5f, 0}, 0.35f, 1.8f), {120, 0, 0});
    EXPECT_TRUE(box.hit);
    EXPECT_NEAR(box.point.x, 5.65f, 1e-4f);
    EXPECT_FALSE(world.SweepSphere({-100, 1, 50}, {100, 1, 50}, 0.0f).hit);
}

TEST(CollisionWorld, CellWalkReachesTheFarEndOfTheLongestLevel) {
    // Three cells across and 855,047 along: a level of 2.6 M cells, within what the grid accepts. Two
    // slivers mark its ends; walls stand across it at 2,000 km and 3,000 km, and a floor strip runs
    // its whole length a metre below the rays.
    std::vector<Triangle> level;
    level.push_back({{{0, -1, 0}, {2, -1, 0}, {1, -1, 1}}});
    level.push_back({{{0, -1, 3420180}, {2, -1, 3420180}, {1, -1, 3420179}}});
    level.push_back({{{0, 0, 2000000}, {2, 0, 2000000}, {1, 3, 2000000}}});
    level.push_back({{{0, 0, 3000000}, {2, 0, 3000000}, {1, 3, 3000000}}});
    level.push_back({{{0, 0, 0}, {2, 0, 0}, {2, 0, 3420180}}});
    CollisionWorld world;
    ASSERT_TRUE(world.SetTriangles(std::move(level)));
    ASSERT_EQ(world.cellsX, 3);
    ASSERT_EQ(world.cellsZ, 855047);
    const struct {
        const char* what;
        glm::vec3 start, end;
        float radius;
        float hitZ;  // where the first surface met stands along z
    } cases[] = {
        {"a ray of 2,000 km along +z to the first wall", {1, 1, 10}, {1, 1, 2000010}, 0.0f, 2000000},
        {"a ray back along -z from the far end", {1, 1, 3420170}, {1, 1, 1000000}, 0.0f, 3000000},
        {"a ray between the walls, slightly across", {0.5f, 1, 2000020}, {1.5f, 1, 3000100}, 0.0f, 3000000},
        {"a sphere along +z", {1, 1, 10}, {1, 1, 2000010}, 0.25f, 2000000 - 0.25f},
        {"a ray down the floor strip's length", {1.9f, 0.5f, 100}, {1.5f, -0.5f, 3420000}, 0.0f, 1710050},
    };
    for (const auto& c : cases) {
        const SweepHit grid = world.SweepSphere(c.start, c.end, c.radius);
        const SweepHit reference = testsupport::ReferenceSweepSphere(world, c.start, c.end, c.radius);
        ASSERT_TRUE(reference.hit) << c.what;
        EXPECT_NEAR(reference.point.z, c.hitZ, 1.0f) << c.what;
        EXPECT_TRUE(grid.hit) << c.what;
        EXPECT_TRUE(testsupport::SameBits(grid, reference))
            << c.what << ": grid at " << grid.point.z << ", every-triangle walk at " << reference.point.z;
    }
}

TEST(CollisionWorld, GridMatchesEveryTriangleWalkOnTheFixture) {
    CollisionWorld world;
    std::vector<Triangle> level = FixtureLevel();
    // A scatter of small random triangles spreads the lists over many cells.
    testsupport::QueryRandom random(7);
    for (int i = 0; i < 300; ++i) {
        const glm::vec3 a = random.PointIn({-12, 0, -12}, {12, 4, 12});
        level.push_back({{a, a + random.PointIn({-2, -1, -2}, {2, 1, 2}), a + random.PointIn({-2, -1, -2}, {2, 1, 2})}});
    }
    ASSERT_TRUE(world.SetTriangles(std::move(level)));
    ExpectGridMatchesReference(world, {-12, 0, -12}, {12, 4, 12}, 1, 4000);
}

TEST(CollisionWorld, GreyboxMatchesTheReference) {
    CollisionWorld world;
    world.BuildGreybox();
    ExpectGridMatchesReference(world, {-12, 0, -12}, {12, 4, 12}, 2, 2000);
}

TEST(CollisionWorld, MakeBodyBoxStandsOnTheFeet) {
    const Aabb box = MakeBodyBox({1, 2, 3}, 0.5f, 1.8f);
    EXPECT_EQ(box.min, glm::vec3(0.5f, 2.0f, 2.5f));
    EXPECT_EQ(box.max, glm::vec3(1.5f, 3.8f, 3.5f));
}

}  // namespace

namespace {

// The server queries one world from all its worker threads at once: every thread must see exactly
// the answers a lone caller gets.
TEST(CollisionWorldThreaded, ConcurrentQueriesAgreeWithSerialOnes) {
    CollisionWorld world;
    std::vector<Triangle> level = FixtureLevel();
    ASSERT_TRUE(world.SetTriangles(std::move(level)));
    testsupport::QueryRandom random(5);
    struct Query {
        glm::vec3 start, end;
        float radius;
    };
    std::vector<Query> queries;
    for (int i = 0; i < 500; ++i) {
        const glm::vec3 start = random.PointIn({-12, 0, -12}, {12, 4, 12});
        queries.push_back({start, start + random.PointIn({-6, -6, -6}, {6, 2, 6}), (i % 2) ? 0.3f : 0.0f});
    }
    std::vector<SweepHit> expected;
    for (const Query& q : queries) {
        expected.push_back(world.SweepSphere(q.start, q.end, q.radius));
        expected.push_back(world.SweepShape(MakeBodyBox(q.start, 0.35f, 1.8f), q.end - q.start));
    }
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                for (size_t i = 0; i < queries.size(); ++i) {
                    const Query& q = queries[i];
                    mismatches[size_t(t)] += !testsupport::SameBits(world.SweepSphere(q.start, q.end, q.radius), expected[2 * i]);
                    mismatches[size_t(t)] += !testsupport::SameBits(
                        world.SweepShape(MakeBodyBox(q.start, 0.35f, 1.8f), q.end - q.start), expected[2 * i + 1]);
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

}  // namespace
