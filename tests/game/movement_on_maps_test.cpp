// The movement step on the generated maps: every spawn is standable, and bodies never end a step
// inside the level or below it.

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/collision_world.h"
#include "game/player_movement.h"
#include "game/tuning.h"
#include "support/generated_map.h"
#include "support/player_sim.h"

using testsim::Command;
using testsim::RunTicks;
using testsim::SpawnedPlayer;

namespace {

const char* const kMovementMaps[] = {"maps/Map One/map_one.glb", "maps/Map Two/Map_Two.glb"};

}  // namespace

TEST(MovementOnMaps, EverySpawnIsStandable) {
  const tune::Tuning tuning;
  for (const char* path : kMovementMaps) {
    const GeneratedMap map = LoadGeneratedMap(path);
    ASSERT_TRUE(map.loaded) << path;
    ASSERT_FALSE(map.spawns.empty()) << path;
    for (const GeneratedMapSpawn& spawn : map.spawns) {
      PlayerState state = SpawnedPlayer(spawn.feet, 1, tuning);
      state.onGround = 0;
      RunTicks(state, 64, [&](int) { return Command(spawn.facing, 0, 0, 1); }, tuning, map.world);
      EXPECT_EQ(state.onGround, 1) << path << " spawn at " << spawn.feet.x << " " << spawn.feet.z;
      EXPECT_NEAR(state.position.y, spawn.feet.y, 0.25f) << path;
      EXPECT_FALSE(BodyOverlaps(map.world, state.position, tuning.movement.bodyRadius, state.height)) << path;
    }
  }
}

TEST(MovementOnMaps, BodiesNeverEndAStepInsideOrBelowTheLevel) {
  const tune::Tuning tuning;
  for (const char* path : kMovementMaps) {
    const GeneratedMap map = LoadGeneratedMap(path);
    ASSERT_TRUE(map.loaded) << path;
    const float lowest = map.bounds.min.y;
    int steps = 0;
    for (size_t s = 0; s < map.spawns.size(); ++s) {
      const GeneratedMapSpawn& spawn = map.spawns[s];
      PlayerState state = SpawnedPlayer(spawn.feet, 1, tuning);
      // Run, turn, hop and crouch for 12 seconds from every spawn.
      for (int i = 0; i < 64 * 12; ++i) {
        InputCommand cmd = Command(spawn.facing + float(i) * (s % 2 == 0 ? 0.7f : -0.9f), 127, 0, 1);
        cmd.side = static_cast<int8_t>((i / 50) % 3 == 0 ? 90 : 0);
        if (i % 90 < 4) cmd.buttons |= kButtonJump;
        if (i % 200 > 180) cmd.buttons |= kButtonCrouch;
        if (i % 128 < 64) cmd.buttons |= kButtonSprint;
        cmd.tick = uint32_t(i + 1);
        MovePlayer(state, cmd, testsim::kDt, tuning, map.world);
        ++steps;
        ASSERT_GE(state.position.y, lowest - 0.01f) << path << " fell through at step " << i;
        // Position updates round in 32 bits after a 64-bit sweep, so a body may end a step touching a
        // wall to within a rounding step; anything deeper than half a millimetre is a real fault.
        const glm::vec3 inner = state.position + glm::vec3(0.0f, 0.0005f, 0.0f);
        ASSERT_FALSE(BodyOverlaps(map.world, inner, tuning.movement.bodyRadius - 0.0005f, state.height - 0.001f))
            << path << " inside the level at step " << i << " (" << state.position.x << ", " << state.position.y
            << ", " << state.position.z << ")";
      }
    }
    EXPECT_GT(steps, 0) << path;
  }
}

TEST(MovementOnMaps, MapOnesStairsAndRampLeadToTheGalleryButRubbleDoesNot) {
  // Map One's north half: a staircase of 0.3 m risers climbs east along z = -18 from x = 3.5 to the
  // east gallery (3.6 m up); a 27-degree ramp climbs west from x = -3.5 to the west gallery; a
  // 60-degree rubble wedge leans on the west wall at z = -28.
  const tune::Tuning tuning;
  const GeneratedMap map = LoadGeneratedMap("maps/Map One/map_one.glb");
  ASSERT_TRUE(map.loaded);
  struct Case {
    const char* what;
    glm::vec3 start;
    float yaw;
    float endHeight;
    float endXLow, endXHigh;
  };
  const Case cases[] = {
      {"stairs", {2.0f, 0.0f, -18.0f}, 270.0f, 3.6f, 10.7f, 16.0f},
      {"ramp", {-2.5f, 0.0f, -18.0f}, 90.0f, 3.6f, -16.0f, -10.7f},
      {"rubble", {-20.0f, 0.0f, -28.0f}, 90.0f, 0.0f, -22.9f, -22.3f},  // its foot is at x = -22.85
  };
  for (const Case& c : cases) {
    PlayerState state = SpawnedPlayer(c.start, 0, tuning);
    float highest = 0.0f;
    for (int i = 0; i < 64 * 2 + 16; ++i) {
      RunTicks(state, 1, [&](int) { return Command(c.yaw, 127, 0, 0); }, tuning, map.world);
      highest = std::max(highest, state.position.y);
    }
    RunTicks(state, 32, [&](int) { return Command(c.yaw, 0, 0, 0); }, tuning, map.world);
    EXPECT_EQ(state.onGround, 1) << c.what;
    EXPECT_NEAR(state.position.y, c.endHeight, 0.01f) << c.what;
    EXPECT_GT(state.position.x, c.endXLow) << c.what;
    EXPECT_LT(state.position.x, c.endXHigh) << c.what;
    EXPECT_LT(highest, std::max(c.endHeight, 0.45f) + 0.05f) << c.what << ": walked, never flew";
  }
}
