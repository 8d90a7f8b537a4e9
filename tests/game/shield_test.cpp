#include "game/shield.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include "game/tuning.h"

namespace {

// A wall 1 x 2 x 0.2 m (scale 2 on half sizes 0.25, 1.0, 0.05).
tune::ShieldTuning SmallWall() {
  tune::ShieldTuning tuning;
  tuning.scale = 2.0f;
  tuning.halfWidth = 0.25f;
  tuning.height = 1.0f;
  tuning.halfDepth = 0.05f;
  return tuning;
}

}  // namespace

TEST(SpawnShield, TakesTheNextIdAndAtLeastOneHitPoint) {
  IdList<Shield> shields;
  tune::ShieldTuning tuning;
  const Shield& first = SpawnShield(shields, 4, 1, glm::vec3(1, 0, 2), 30.0f, tuning);
  EXPECT_EQ(first.id, 1u);
  EXPECT_EQ(first.hitPoints, 150);
  EXPECT_EQ(first.owner, 4u);
  EXPECT_EQ(first.team, 1);
  EXPECT_EQ(first.age, 0.0f);
  EXPECT_EQ(first.lastFlameDamageTime, 0.0);
  tuning.hitPoints = 0;
  EXPECT_EQ(SpawnShield(shields, 4, 1, glm::vec3(0), 0.0f, tuning).hitPoints, 1);
  tuning.hitPoints = -20;
  const Shield& third = SpawnShield(shields, 4, 1, glm::vec3(0), 0.0f, tuning);
  EXPECT_EQ(third.hitPoints, 1);
  EXPECT_EQ(third.id, 3u);
  EXPECT_EQ(shields.nextId, 4u);
  ASSERT_EQ(shields.items.size(), 3u);
}

TEST(ShieldModelMatrix, IsTranslateRotateScale) {
  Shield shield;
  shield.position = glm::vec3(3.0f, 0.5f, -2.0f);
  shield.yaw = 37.0f;
  const tune::ShieldTuning tuning;
  const glm::mat4 expected =
      glm::scale(glm::rotate(glm::translate(glm::mat4(1.0f), shield.position), YawToShieldAngle(37.0f),
                             glm::vec3(0, 1, 0)),
                 glm::vec3(tuning.scale));
  const glm::mat4 m = ShieldModelMatrix(shield, tuning);
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) EXPECT_NEAR(m[c][r], expected[c][r], 1e-5) << c << " " << r;
  }
}

TEST(ClosestPointOnShield, ClampsIntoTheTurnedBox) {
  const tune::ShieldTuning tuning = SmallWall();
  Shield shield;
  shield.position = glm::vec3(10.0f, 1.0f, 0.0f);
  shield.yaw = 0.0f;  // the frame is turned half a turn: local x is -x
  struct Case {
    glm::vec3 point, expected;
  };
  const Case cases[] = {
      {{10.0f, 1.5f, 0.0f}, {10.0f, 1.5f, 0.0f}},     // inside stays
      {{10.0f, 5.0f, 0.0f}, {10.0f, 3.0f, 0.0f}},     // above: the top at height 2
      {{10.0f, -3.0f, 0.0f}, {10.0f, 1.0f, 0.0f}},    // below: the base
      {{20.0f, 1.5f, 0.0f}, {10.5f, 1.5f, 0.0f}},     // beside: half width 0.5
      {{10.2f, 1.5f, 4.0f}, {10.2f, 1.5f, 0.1f}},     // in front: half depth 0.1
  };
  for (const Case& c : cases) {
    const glm::vec3 p = ClosestPointOnShield(shield, tuning, c.point);
    EXPECT_NEAR(p.x, c.expected.x, 1e-5);
    EXPECT_NEAR(p.y, c.expected.y, 1e-5);
    EXPECT_NEAR(p.z, c.expected.z, 1e-5);
  }
  shield.yaw = 90.0f;  // now the wall runs along z
  const glm::vec3 p = ClosestPointOnShield(shield, tuning, glm::vec3(10.0f, 1.5f, 9.0f));
  EXPECT_NEAR(p.z, 0.5f, 1e-5);
  EXPECT_NEAR(p.x, 10.0f, 1e-5);
}

TEST(TraceShield, HitsTheWallFaceAndNeverABrokenOne) {
  const tune::ShieldTuning tuning = SmallWall();
  Shield shield;
  shield.hitPoints = 10;
  shield.position = glm::vec3(0.0f, 0.0f, -5.0f);
  const glm::vec3 origin(0.0f, 1.0f, 0.0f);
  const glm::vec3 forward(0.0f, 0.0f, -1.0f);
  ShieldTrace trace = TraceShield(shield, tuning, origin, forward, 100.0f);
  ASSERT_TRUE(trace.hit);
  EXPECT_NEAR(trace.distance, 4.9f, 1e-5);
  EXPECT_NEAR(trace.point.z, -4.9f, 1e-5);
  EXPECT_FALSE(TraceShield(shield, tuning, origin, forward, 4.8f).hit);
  EXPECT_FALSE(TraceShield(shield, tuning, glm::vec3(0.0f, 2.5f, 0.0f), forward, 100.0f).hit);  // over the top
  EXPECT_FALSE(TraceShield(shield, tuning, glm::vec3(0.6f, 1.0f, 0.0f), forward, 100.0f).hit);  // beside
  const ShieldTrace inside = TraceShield(shield, tuning, glm::vec3(0.0f, 1.0f, -5.0f), forward, 100.0f);
  EXPECT_TRUE(inside.hit);
  EXPECT_EQ(inside.distance, 0.0f);
  shield.hitPoints = 0;
  EXPECT_FALSE(TraceShield(shield, tuning, origin, forward, 100.0f).hit);
}

TEST(TraceShields, LetTheShootersOwnSideThrough) {
  const tune::ShieldTuning tuning = SmallWall();
  IdList<Shield> shields;
  // Three walls across the line of fire, nearest first: owner 1 (team 0), owner 2 (team 1), owner 3 (none).
  SpawnShield(shields, 1, 0, glm::vec3(0, 0, -3), 0.0f, tuning);
  SpawnShield(shields, 2, 1, glm::vec3(0, 0, -6), 0.0f, tuning);
  SpawnShield(shields, 3, 255, glm::vec3(0, 0, -9), 0.0f, tuning);
  const glm::vec3 from(0.0f, 1.0f, 0.0f);
  const glm::vec3 to(0.0f, 1.0f, -20.0f);
  struct Case {
    uint8_t team;
    uint32_t shooter;
    uint32_t expected;
    const char* why;
  };
  const Case cases[] = {
      {0, 7, 2, "team 0 passes its team's wall, stops at team 1's"},
      {1, 7, 1, "team 1 stops at team 0's wall"},
      {0, 1, 2, "the owner passes its own wall"},
      {255, 1, 2, "free-for-all: through its own wall only"},
      {255, 7, 1, "free-for-all: every other wall stops it"},
      {255, 3, 1, "free-for-all: the nearest foreign wall"},
  };
  for (const Case& c : cases) {
    glm::vec3 point(0.0f);
    EXPECT_EQ(TraceShields(shields, c.team, c.shooter, from, to, tuning, &point), c.expected) << c.why;
  }
  glm::vec3 point(0.0f);
  EXPECT_EQ(TraceShields(shields, 0, 1, from, glm::vec3(0.0f, 1.0f, -5.0f), tuning, &point), 0u)
      << "the segment ends before team 1's wall";
  EXPECT_EQ(TraceShields(shields, 1, 7, from, from + glm::vec3(0.0f, 0.0f, -0.00009f), tuning), 0u)
      << "a segment shorter than 0.0001 never hits";
  TraceShields(shields, 1, 7, from, to, tuning, &point);
  EXPECT_NEAR(point.z, -2.9f, 1e-5);
}

TEST(TraceShields, ALaterWallAtTheSameDistanceWins) {
  const tune::ShieldTuning tuning = SmallWall();
  IdList<Shield> shields;
  SpawnShield(shields, 1, 255, glm::vec3(0, 0, -3), 0.0f, tuning);
  SpawnShield(shields, 2, 255, glm::vec3(0, 0, -3), 0.0f, tuning);
  EXPECT_EQ(TraceShields(shields, 255, 9, glm::vec3(0, 1, 0), glm::vec3(0, 1, -10), tuning), 2u);
}
