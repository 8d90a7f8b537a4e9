// The two generated maps, loaded as the game loads them (from the built "assets" folder, at the
// tuning's map scale): the report, the spawns, and the collision grid against a walk over every
// triangle.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/collision_world.h"
#include "game/map_geometry.h"
#include "game/tuning.h"
#include "support/collision_reference.h"
#include "support/temp_folder.h"

namespace {

struct MapCase {
    const char* path;
    int red, blue, free;
    float below;  // where downward probes start: under the indoor level's ceiling
};

const MapCase kMaps[] = {
    {"assets/maps/Map One/map_one.glb", 4, 4, 6, 7.9f},
    {"assets/maps/Map Two/Map_Two.glb", 4, 4, 6, 100.0f},
};

struct LoadedMap {
    MapGeometry map;
    bool ok = false;
    std::string out, err;
};

LoadedMap LoadMapCapturingLog(const char* path) {
    LoadedMap loaded;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    loaded.ok = LoadMapGeometry(loaded.map, path, MapScale(tune::Tuning{}));
    loaded.out = testing::internal::GetCapturedStdout();
    loaded.err = testing::internal::GetCapturedStderr();
    return loaded;
}

TEST(GeneratedMaps, LoadWithTheirReport) {
    for (const MapCase& c : kMaps) {
        const LoadedMap l = LoadMapCapturingLog(c.path);
        ASSERT_TRUE(l.ok) << c.path << "\n" << l.err;
        EXPECT_EQ(l.err, "") << c.path << ": every spawn stands inside the level on a floor";
        char first[128];
        std::snprintf(first, sizeof first, "[map] spawns: %d red, %d blue, %d free-for-all\n", c.red, c.blue, c.free);
        EXPECT_EQ(l.out.rfind(first, 0), 0u) << l.out;
        char second[256];
        const Aabb& b = l.map.bounds;
        std::snprintf(second, sizeof second, "[map] %s: %zu triangles, %zu spawns, %zu lights, bounds %.1f x %.1f x %.1f m\n",
                      c.path, l.map.triangles.size(), l.map.spawns.size(), l.map.lights.size(),
                      double(b.max.x - b.min.x), double(b.max.y - b.min.y), double(b.max.z - b.min.z));
        EXPECT_NE(l.out.find(second), std::string::npos) << l.out;
        int spawnLines = 0;
        for (size_t at = l.out.find("[map]   "); at != std::string::npos; at = l.out.find("[map]   ", at + 1)) {
            ++spawnLines;
        }
        EXPECT_EQ(spawnLines, c.red + c.blue + c.free);
        EXPECT_GE(l.map.lights.size(), 4u) << c.path;
    }
}

TEST(GeneratedMaps, SpawnsStandOnTheFloorFacingIntoTheLevel) {
    for (const MapCase& c : kMaps) {
        const LoadedMap l = LoadMapCapturingLog(c.path);
        ASSERT_TRUE(l.ok) << c.path;
        CollisionWorld world;
        MapGeometry copy = l.map;
        ASSERT_TRUE(world.SetTriangles(std::move(copy.triangles)));
        for (const SpawnPoint& s : l.map.spawns) {
            // Standing: the body box fits, and the floor is right under the feet.
            const Aabb body = MakeBodyBox(s.position + glm::vec3(0, 0.01f, 0), 0.35f, 1.8f);
            EXPECT_FALSE(world.OverlapsBox(body)) << c.path << " spawn at " << s.position.x << " " << s.position.z;
            const SweepHit down = world.SweepShape(body, {0, -0.1f, 0});
            EXPECT_TRUE(down.hit) << c.path << " spawn at " << s.position.x << " " << s.position.z;
            EXPECT_GT(down.normal.y, 0.99f);
            EXPECT_GE(s.facing, -180.0f);
            EXPECT_LE(s.facing, 180.0f);
        }
    }
}

TEST(GeneratedMaps, GridMatchesEveryTriangleWalk) {
    for (const MapCase& c : kMaps) {
        const LoadedMap l = LoadMapCapturingLog(c.path);
        ASSERT_TRUE(l.ok) << c.path;
        CollisionWorld world;
        MapGeometry copy = l.map;
        ASSERT_TRUE(world.SetTriangles(std::move(copy.triangles)));
        SCOPED_TRACE(c.path);
        testsupport::ExpectGridMatchesReference(world, l.map.bounds.min, l.map.bounds.max, 11, 3000);
    }
}

// Both maps must offer surfaces on either side of the movement limits: slopes walkable and not, and
// rises a body steps up and ones it must jump. Sampled with downward rays on a 0.25 m lattice.
TEST(GeneratedMaps, HaveSlopesAndStepsOnBothSidesOfTheLimits) {
    const tune::Tuning tuning;
    const float walkable = std::cos(tuning.movement.maxWalkableSlope * 0.017453292f);
    const float step = tuning.movement.stepHeight;
    for (const MapCase& c : kMaps) {
        const LoadedMap l = LoadMapCapturingLog(c.path);
        ASSERT_TRUE(l.ok) << c.path;
        CollisionWorld world;
        MapGeometry copy = l.map;
        ASSERT_TRUE(world.SetTriangles(std::move(copy.triangles)));
        int walkableSlopes = 0, steepSlopes = 0, smallRises = 0, bigRises = 0;
        const float spacing = 0.25f;
        const float x0 = l.map.bounds.min.x + 1.0f, z0 = l.map.bounds.min.z + 1.0f;
        const int nx = int((l.map.bounds.max.x - 1.0f - x0) / spacing);
        const int nz = int((l.map.bounds.max.z - 1.0f - z0) / spacing);
        // Height of each lattice point's flat floor (NAN where the surface is sloped or missing).
        std::vector<float> flat(size_t(nx) * size_t(nz), NAN);
        const float start = std::fmin(l.map.bounds.max.y + 1.0f, c.below);
        for (int k = 0; k < nz; ++k) {
            for (int i = 0; i < nx; ++i) {
                const float x = x0 + spacing * float(i), z = z0 + spacing * float(k);
                const SweepHit hit = world.SweepSphere({x, start, z}, {x, l.map.bounds.min.y - 1.0f, z}, 0.0f);
                if (!hit.hit) continue;
                const float ny = hit.normal.y;
                if (ny > walkable + 0.05f && ny < 0.97f) ++walkableSlopes;
                if (ny < walkable - 0.05f && ny > 0.2f) ++steepSlopes;
                if (ny > 0.99f) flat[size_t(k) * size_t(nx) + size_t(i)] = hit.point.y;
            }
        }
        for (int k = 0; k + 1 < nz; ++k) {
            for (int i = 0; i + 1 < nx; ++i) {
                const float here = flat[size_t(k) * size_t(nx) + size_t(i)];
                for (float there : {flat[size_t(k) * size_t(nx) + size_t(i + 1)], flat[size_t(k + 1) * size_t(nx) + size_t(i)]}) {
                    const float rise = std::fabs(there - here);
                    if (rise > 0.2f && rise < step - 0.05f) ++smallRises;
                    if (rise > step + 0.1f && rise < 1.0f) ++bigRises;
                }
            }
        }
        EXPECT_GT(walkableSlopes, 20) << c.path;
        EXPECT_GT(steepSlopes, 20) << c.path;
        EXPECT_GT(smallRises, 10) << c.path;
        EXPECT_GT(bigRises, 5) << c.path;
    }
}

// A damaged file fails with one line and without reading past its bytes: cut short, or with an
// accessor's count raised past its buffer view.
TEST(GeneratedMaps, DamagedCopiesFailWithOneLine) {
    std::ifstream in(kMaps[0].path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    const testsupport::TempFolder folder;
    const std::string path = folder.Path() + "/damaged_map.glb";
    auto loadCopy = [&](const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
        MapGeometry map;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const bool ok = LoadMapGeometry(map, path, 1.0f);
        testing::internal::GetCapturedStdout();
        return std::make_pair(ok, testing::internal::GetCapturedStderr());
    };
    for (size_t cut : {size_t(10), size_t(100), bytes.size() / 2, bytes.size() - 4}) {
        const auto [ok, err] = loadCopy(bytes.substr(0, cut));
        EXPECT_FALSE(ok) << cut;
        EXPECT_EQ(err, "[map] failed to parse " + path + "\n") << cut;
    }
    std::string raised = bytes;
    const size_t count = raised.find("\"count\":");
    ASSERT_NE(count, std::string::npos);
    // Widen the first count's digits to nines (same length, so the chunk lengths stay valid).
    for (size_t i = count + 8; i < raised.size() && std::isdigit(static_cast<unsigned char>(raised[i])); ++i) {
        raised[i] = '9';
    }
    const auto [ok, err] = loadCopy(raised);
    EXPECT_FALSE(ok);
    EXPECT_EQ(err, "[map] failed to load buffers for " + path + "\n");
}

}  // namespace
