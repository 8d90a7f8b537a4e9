#include "game/projectile.h"

#include <cmath>

#include <gtest/gtest.h>

#include "game/collision_world.h"
#include "game/tuning.h"

namespace {

constexpr float kProjectileTick = 1.0f / 64.0f;

// A grenade as the server throws one, with the default grenade values.
Projectile& ThrowGrenade(IdList<Projectile>& list, const glm::vec3& from, const glm::vec3& velocity) {
  const tune::GrenadeTuning g = tune::Tuning{}.grenade;
  Projectile& p = SpawnProjectile(list, 3, from, velocity, 1, g.gravity, g.radius, g.fuseTime);
  SetProjectileBounce(list, g.restitution, g.bounceFriction, g.restSpeed);
  return p;
}

}  // namespace

TEST(SpawnProjectile, TakesTheNextIdAndDoesNotBounce) {
  IdList<Projectile> list;
  const Projectile& rocket = SpawnProjectile(list, 7, glm::vec3(1, 2, 3), glm::vec3(0, 0, -42), 0, 6.0f, 0.18f, 6.0f);
  EXPECT_EQ(rocket.id, 1u);
  EXPECT_EQ(rocket.owner, 7u);
  EXPECT_EQ(rocket.bounces, 0);
  EXPECT_EQ(rocket.restitution, 0.0f);
  EXPECT_EQ(rocket.age, 0.0f);
  EXPECT_EQ(list.nextId, 2u);
}

TEST(SetProjectileBounce, ChangesOnlyTheLastAndNothingWhenEmpty) {
  IdList<Projectile> list;
  SetProjectileBounce(list, 0.5f, 0.5f, 1.0f);
  EXPECT_TRUE(list.items.empty());
  SpawnProjectile(list, 1, glm::vec3(0), glm::vec3(0), 0, 1.0f, 0.1f, 1.0f);
  SpawnProjectile(list, 1, glm::vec3(0), glm::vec3(0), 1, 1.0f, 0.1f, 1.0f);
  SetProjectileBounce(list, 0.38f, 0.42f, 1.1f);
  EXPECT_EQ(list.items[0].bounces, 0);
  EXPECT_EQ(list.items[1].bounces, 1);
  EXPECT_EQ(list.items[1].restitution, 0.38f);
  EXPECT_EQ(list.items[1].friction, 0.42f);
  EXPECT_EQ(list.items[1].restSpeed, 1.1f);
}

TEST(RemoveProjectile, MovesTheLastIntoThePlace) {
  IdList<Projectile> list;
  for (int i = 0; i < 3; ++i) SpawnProjectile(list, 1, glm::vec3(0), glm::vec3(0), 0, 1.0f, 0.1f, 1.0f);
  RemoveProjectile(list, 42);
  EXPECT_EQ(list.items.size(), 3u);
  RemoveProjectile(list, 1);
  ASSERT_EQ(list.items.size(), 2u);
  EXPECT_EQ(list.items[0].id, 3u);
  EXPECT_EQ(list.items[1].id, 2u);
  RemoveProjectile(list, 2);
  ASSERT_EQ(list.items.size(), 1u);
  EXPECT_EQ(list.items[0].id, 3u);
}

TEST(AddProjectileIfMissing, AddsOnceAndRaisesTheCounter) {
  IdList<Projectile> list;
  Projectile p;
  p.id = 9;
  AddProjectileIfMissing(list, p);
  AddProjectileIfMissing(list, p);
  EXPECT_EQ(list.items.size(), 1u);
  EXPECT_EQ(list.nextId, 10u);
  EXPECT_EQ(SpawnProjectile(list, 1, glm::vec3(0), glm::vec3(0), 0, 1.0f, 0.1f, 1.0f).id, 10u);
}

TEST(AdvanceProjectiles, ARocketDetonatesAtItsFirstContact) {
  CollisionWorld world;
  world.AddBox(glm::vec3(0.0f, 2.0f, -5.0f), glm::vec3(4.0f, 2.0f, 0.5f));  // near face at z = -4.5
  IdList<Projectile> list;
  // 0.1 m from the wall (plus its radius): it reaches the wall in the first step.
  SpawnProjectile(list, 2, glm::vec3(0.0f, 1.5f, -4.5f + 0.18f + 0.1f), glm::vec3(0.0f, 0.0f, -42.0f), 0, 6.0f,
                  0.18f, 6.0f);
  std::vector<Projectile> out;
  AdvanceProjectiles(list, kProjectileTick, world, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(list.items.empty());
  EXPECT_NEAR(out[0].position.z, -4.5f + 0.18f, 1e-5) << "the sphere centre at contact";
  EXPECT_NEAR(out[0].position.x, 0.0f, 1e-6);
}

TEST(AdvanceProjectiles, ARocketInTheOpenGoesOffAtItsFuse) {
  CollisionWorld world;
  world.SetTriangles({});
  IdList<Projectile> list;
  SpawnProjectile(list, 2, glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -42.0f), 0, 6.0f, 0.18f, 0.5f);
  std::vector<Projectile> out;
  int steps = 0;
  while (out.empty() && steps < 1000) {
    AdvanceProjectiles(list, kProjectileTick, world, out);
    ++steps;
  }
  EXPECT_EQ(steps, 32);  // age reaches 0.5 s at the 32nd step
  EXPECT_NEAR(out[0].position.z, -42.0f * 0.5f, 1e-3);
}

TEST(AdvanceProjectiles, AGrenadeComesToRestAndGoesOffAtItsFuse) {
  CollisionWorld world;  // the floor plane
  IdList<Projectile> list;
  ThrowGrenade(list, glm::vec3(0.0f, 1.5f, 0.0f), glm::vec3(2.0f, 3.0f, 0.0f));
  std::vector<Projectile> out;
  int restedAt = -1;
  int steps = 0;
  while (out.empty() && steps < 1000) {
    AdvanceProjectiles(list, kProjectileTick, world, out);
    ++steps;
    if (restedAt < 0 && !list.items.empty() && list.items[0].resting != 0) restedAt = steps;
  }
  ASSERT_EQ(out.size(), 1u);
  ASSERT_GT(restedAt, 0);
  EXPECT_LT(restedAt, steps);
  EXPECT_EQ(steps, 116) << "1.8 s at 64 Hz is the 116th step (115.2 rounds up)";
  EXPECT_EQ(out[0].velocity, glm::vec3(0.0f));
  EXPECT_NEAR(out[0].position.y, 0.11f + 0.11f * 0.05f + 0.002f, 1e-4) << "resting just above the floor";
}

TEST(AdvanceProjectiles, AWallBounceNeverRests) {
  CollisionWorld world;
  world.SetTriangles({});
  world.AddBox(glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(5.0f, 5.0f, 0.5f));
  IdList<Projectile> list;
  // Slow, straight into the wall, no gravity: every bounce is off the wall.
  Projectile& p = SpawnProjectile(list, 1, glm::vec3(0.0f, 0.0f, -0.3f), glm::vec3(0.0f, 0.0f, -1.0f), 1, 0.0f,
                                  0.11f, 100.0f);
  p.bounces = 1;
  p.restitution = 0.38f;
  p.friction = 0.42f;
  p.restSpeed = 10.0f;
  std::vector<Projectile> out;
  for (int i = 0; i < 64; ++i) AdvanceProjectiles(list, kProjectileTick, world, out);
  ASSERT_EQ(list.items.size(), 1u);
  EXPECT_EQ(list.items[0].resting, 0);
  EXPECT_GT(list.items[0].velocity.z, 0.0f) << "it bounced back off the wall";
}
