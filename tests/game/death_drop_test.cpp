#include "game/death_drop.h"

#include <cmath>
#include <set>

#include <gtest/gtest.h>

#include "game/collision_world.h"
#include "game/tuning.h"

namespace {

tune::DropTuning Drops() { return tune::Tuning{}.match.drops; }

}  // namespace

TEST(DropRand01, ASeedOfZeroActsLikeTheGoldenRatioSeed) {
  uint32_t zero = 0;
  uint32_t golden = 0x9E3779B9u;
  for (int i = 0; i < 5; ++i) {
    const float a = DropRand01(zero);
    EXPECT_EQ(a, DropRand01(golden));
    EXPECT_GE(a, 0.0f);
    EXPECT_LT(a, 1.0f);
  }
  EXPECT_EQ(zero, golden);
}

TEST(RollDeathDrop, CountStaysWithinTheLimits) {
  tune::DropTuning tuning = Drops();
  tuning.minCount = 2;
  tuning.maxCount = 4;
  std::set<size_t> seen;
  for (uint32_t seed = 0; seed < 400; ++seed) {
    IdList<DeathDrop> drops;
    std::vector<DeathDrop> spawned;
    RollDeathDrop(drops, glm::vec3(0.0f), seed * 2654435761u, tuning, spawned);
    EXPECT_GE(spawned.size(), 2u);
    EXPECT_LE(spawned.size(), 4u);
    EXPECT_EQ(spawned.size(), drops.items.size());
    seen.insert(spawned.size());
  }
  EXPECT_EQ(seen, (std::set<size_t>{2, 3, 4}));

  tuning.minCount = 0;
  tuning.maxCount = 0;
  IdList<DeathDrop> drops;
  std::vector<DeathDrop> spawned;
  RollDeathDrop(drops, glm::vec3(0.0f), 99, tuning, spawned);
  EXPECT_TRUE(spawned.empty());
  EXPECT_EQ(drops.nextId, 1u);
}

TEST(RollDeathDrop, DropsBurstFromAboveTheBody) {
  tune::DropTuning tuning = Drops();
  tuning.minCount = 3;
  tuning.maxCount = 3;
  IdList<DeathDrop> drops;
  drops.nextId = 40;
  std::vector<DeathDrop> spawned;
  const glm::vec3 body(5.0f, 2.0f, -1.0f);
  RollDeathDrop(drops, body, 1234, tuning, spawned);
  ASSERT_EQ(spawned.size(), 3u);
  for (size_t i = 0; i < spawned.size(); ++i) {
    const DeathDrop& d = spawned[i];
    EXPECT_EQ(d.id, 40u + i);
    EXPECT_EQ(d.kind, 0);
    EXPECT_EQ(d.position, glm::vec3(5.0f, 2.0f + tuning.spawnHeight, -1.0f));
    const float horizontal = std::sqrt(d.velocity.x * d.velocity.x + d.velocity.z * d.velocity.z);
    EXPECT_GE(horizontal, tuning.horizontalSpeedLow - 1e-5f);
    EXPECT_LE(horizontal, tuning.horizontalSpeedHigh + 1e-5f);
    EXPECT_GE(d.velocity.y, tuning.verticalSpeedLow);
    EXPECT_LE(d.velocity.y, tuning.verticalSpeedHigh);
    EXPECT_GE(d.spin, 0.0f);
    EXPECT_LT(d.spin, 6.2831855f);
    EXPECT_EQ(d.id, drops.items[i].id);
  }
  EXPECT_EQ(drops.nextId, 43u);
  // The same seed rolls the same drops.
  IdList<DeathDrop> again;
  again.nextId = 40;
  std::vector<DeathDrop> spawnedAgain;
  RollDeathDrop(again, body, 1234, tuning, spawnedAgain);
  for (size_t i = 0; i < spawned.size(); ++i) {
    EXPECT_EQ(spawned[i].velocity, spawnedAgain[i].velocity);
    EXPECT_EQ(spawned[i].spin, spawnedAgain[i].spin);
  }
}

TEST(AdvanceDrops, DropsComeToRestJustAboveTheFloor) {
  const tune::DropTuning tuning = Drops();
  CollisionWorld world;  // the floor plane at 0
  IdList<DeathDrop> drops;
  std::vector<DeathDrop> spawned;
  tune::DropTuning many = tuning;
  many.minCount = 6;
  many.maxCount = 6;
  RollDeathDrop(drops, glm::vec3(0.0f), 77, many, spawned);
  const float dt = 1.0f / 64.0f;
  for (int i = 0; i < 64 * 5; ++i) AdvanceDrops(drops, dt, world, tuning, -25.0f);
  ASSERT_EQ(drops.items.size(), 6u);
  for (const DeathDrop& d : drops.items) {
    EXPECT_EQ(d.resting, 1);
    EXPECT_EQ(d.velocity, glm::vec3(0.0f));
    EXPECT_NEAR(d.position.y, 0.02f, 1e-6);
  }
}

TEST(AdvanceDrops, ADropComesToRestOnABlock) {
  const tune::DropTuning tuning = Drops();
  CollisionWorld world;
  world.AddBox(glm::vec3(0.0f, 0.5f, 0.0f), glm::vec3(3.0f, 0.5f, 3.0f));
  IdList<DeathDrop> drops;
  DeathDrop drop;
  drop.id = 1;
  drop.position = glm::vec3(0.0f, 3.0f, 0.0f);
  drop.velocity = glm::vec3(0.5f, 2.0f, 0.0f);
  drops.items.push_back(drop);
  for (int i = 0; i < 64 * 4; ++i) AdvanceDrops(drops, 1.0f / 64.0f, world, tuning, -25.0f);
  ASSERT_EQ(drops.items.size(), 1u);
  EXPECT_EQ(drops.items[0].resting, 1);
  EXPECT_NEAR(drops.items[0].position.y, 1.02f, 1e-5);
}

TEST(AdvanceDrops, ExpiresFallsOutAndFloatsAwayWhenTaken) {
  tune::DropTuning tuning = Drops();
  CollisionWorld world;
  world.SetTriangles({});  // nothing solid: drops fall forever
  IdList<DeathDrop> drops;
  for (uint32_t id = 1; id <= 3; ++id) {
    DeathDrop d;
    d.id = id;
    d.position = glm::vec3(float(id), 0.0f, 0.0f);
    drops.items.push_back(d);
  }
  drops.items[0].age = tuning.lifetime - 0.001f;  // expires in the next step
  drops.items[1].position.y = -24.9f;              // falls below the kill height soon
  MarkDropTaken(drops, 3);
  const float dt = 1.0f / 64.0f;
  AdvanceDrops(drops, dt, world, tuning, -25.0f);
  ASSERT_EQ(drops.items.size(), 2u);
  // The last drop moved into the freed place and was stepped there too.
  EXPECT_EQ(drops.items[0].id, 3u);
  EXPECT_NEAR(drops.items[0].position.y, dt * tuning.riseSpeed, 1e-6);
  EXPECT_EQ(drops.items[1].id, 2u);
  for (int i = 0; i < 64 && drops.items.size() > 0; ++i) AdvanceDrops(drops, dt, world, tuning, -25.0f);
  EXPECT_TRUE(drops.items.empty());
}

TEST(FindNearestDrop, PicksTheNearestOldEnoughUntakenDrop) {
  const tune::DropTuning tuning = Drops();
  IdList<DeathDrop> drops;
  auto add = [&](uint32_t id, glm::vec3 p, float age) {
    DeathDrop d;
    d.id = id;
    d.position = p;
    d.age = age;
    drops.items.push_back(d);
  };
  add(1, glm::vec3(0.0f), 0.1f);              // at the feet but too young
  add(2, glm::vec3(1.0f, 0.0f, 0.0f), 1.0f);
  add(3, glm::vec3(0.0f, 0.0f, -0.5f), 1.0f);
  add(4, glm::vec3(0.0f, 0.0f, 0.5f), 1.0f);  // as near as 3: the first wins
  add(5, glm::vec3(3.0f, 0.0f, 0.0f), 1.0f);  // outside the pickup radius
  EXPECT_EQ(FindNearestDrop(drops, glm::vec3(0.0f), tuning), 3u);
  MarkDropTaken(drops, 3);
  EXPECT_EQ(FindNearestDrop(drops, glm::vec3(0.0f), tuning), 4u);
  EXPECT_EQ(FindNearestDrop(drops, glm::vec3(3.0f, 0.0f, 0.0f), tuning), 5u);
  EXPECT_EQ(FindNearestDrop(drops, glm::vec3(10.0f, 0.0f, 0.0f), tuning), 0u);
}

TEST(MarkDropTaken, OnlyTheFirstTimeCounts) {
  IdList<DeathDrop> drops;
  DeathDrop d;
  d.id = 8;
  d.velocity = glm::vec3(1.0f, 2.0f, 3.0f);
  drops.items.push_back(d);
  MarkDropTaken(drops, 8);
  EXPECT_EQ(drops.items[0].taken, 1);
  EXPECT_EQ(drops.items[0].velocity, glm::vec3(0.0f));
  drops.items[0].takenTime = 0.2f;
  MarkDropTaken(drops, 8);
  EXPECT_EQ(drops.items[0].takenTime, 0.2f);
  MarkDropTaken(drops, 99);
  EXPECT_EQ(drops.items.size(), 1u);
}

TEST(AddDropIfMissing, AddsOnceAndRaisesTheCounter) {
  IdList<DeathDrop> drops;
  DeathDrop d;
  d.id = 12;
  AddDropIfMissing(drops, d);
  AddDropIfMissing(drops, d);
  EXPECT_EQ(drops.items.size(), 1u);
  EXPECT_EQ(drops.nextId, 13u);
  d.id = 5;
  AddDropIfMissing(drops, d);
  EXPECT_EQ(drops.items.size(), 2u);
  EXPECT_EQ(drops.nextId, 13u);
}
