#pragma once

#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "game/id_list.h"

#include "game/collision_world.h"

// A rocket or thrown grenade: a sphere under constant gravity, swept through the level each step.
// A rocket goes off at its first contact; a grenade bounces, comes to rest and goes off at its fuse.
struct Projectile {
  static constexpr int kIdBits = 24;  // the width a projectile id travels in
  uint32_t id = 0;
  uint32_t owner = 0;
  glm::vec3 position{0.0f};
  glm::vec3 velocity{0.0f};
  float age = 0.0f;
  uint8_t kind = 0;
  float gravity = 0.0f;  // downward, metres per second squared
  float radius = 0.0f;
  float fuse = 0.0f;     // age at which it goes off whatever happens
  uint8_t bounces = 0;
  float restitution = 0.0f;
  float friction = 0.0f;
  float restSpeed = 0.0f;
  uint8_t resting = 0;
};

Projectile& SpawnProjectile(IdList<Projectile>& projectiles, uint32_t owner, const glm::vec3& position,
                            const glm::vec3& velocity, uint8_t kind, float gravity, float radius, float fuse);

// Makes the last projectile of the list a bouncing one; nothing for an empty list.
void SetProjectileBounce(IdList<Projectile>& projectiles, float restitution, float friction, float restSpeed);

// Adds a projectile the server announced, unless one with its id is already present.
void AddProjectileIfMissing(IdList<Projectile>& projectiles, const Projectile& projectile);

void RemoveProjectile(IdList<Projectile>& projectiles, uint32_t id);

// Steps every projectile; those that must go off are moved, at their final position, to `detonated`.
void AdvanceProjectiles(IdList<Projectile>& projectiles, float dt, const CollisionWorld& world,
                        std::vector<Projectile>& detonated);
