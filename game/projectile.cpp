#include "game/projectile.h"

#include <cmath>

#include "game/collision_world.h"

Projectile& SpawnProjectile(IdList<Projectile>& projectiles, uint32_t owner, const glm::vec3& position,
                            const glm::vec3& velocity, uint8_t kind, float gravity, float radius, float fuse) {
  Projectile projectile;
  projectile.id = TakeNextId(projectiles);
  projectile.owner = owner;
  projectile.position = position;
  projectile.velocity = velocity;
  projectile.kind = kind;
  projectile.gravity = gravity;
  projectile.radius = radius;
  projectile.fuse = fuse;
  projectiles.items.push_back(projectile);
  return projectiles.items.back();
}

void SetProjectileBounce(IdList<Projectile>& projectiles, float restitution, float friction, float restSpeed) {
  if (projectiles.items.empty()) return;
  Projectile& last = projectiles.items.back();
  last.bounces = 1;
  last.restitution = restitution;
  last.friction = friction;
  last.restSpeed = restSpeed;
}

void AddProjectileIfMissing(IdList<Projectile>& projectiles, const Projectile& projectile) {
  AddIfMissing(projectiles, projectile);
}

void RemoveProjectile(IdList<Projectile>& projectiles, uint32_t id) { RemoveById(projectiles, id); }

void AdvanceProjectiles(IdList<Projectile>& projectiles, float dt, const CollisionWorld& world,
                        std::vector<Projectile>& detonated) {
  std::vector<Projectile>& list = projectiles.items;
  size_t i = 0;
  while (i < list.size()) {
    Projectile& p = list[i];
    p.age += dt;
    bool explode = false;
    if (p.resting != 0) {
      explode = p.age >= p.fuse;
    } else {
      glm::vec3& v = p.velocity;
      v.y -= dt * p.gravity;
      const glm::vec3 target(dt * v.x + p.position.x, v.y * dt + p.position.y, dt * v.z + p.position.z);
      const SweepHit hit = world.SweepSphere(p.position, target, p.radius);
      if (!hit.hit) {
        p.position = target;
        explode = p.age >= p.fuse;
      } else if (p.bounces == 0) {
        p.position = hit.point;
        explode = true;
      } else {
        const glm::vec3 n = hit.normal;
        const float vn = v.y * n.y + v.x * n.x + v.z * n.z;
        const float keep = 1.0f - p.friction;
        const float e = p.restitution;
        v = glm::vec3((v.x - vn * n.x) * keep - (vn * n.x) * e, (v.y - vn * n.y) * keep - (vn * n.y) * e,
                      (v.z - vn * n.z) * keep - (vn * n.z) * e);
        const float lift = p.radius * 0.05f + 0.002f;
        p.position = glm::vec3(hit.point.x + n.x * lift, hit.point.y + n.y * lift, hit.point.z + n.z * lift);
        const float speed = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        if (speed < p.restSpeed && n.y > 0.7f) {
          v = glm::vec3(0.0f);
          p.resting = 1;
        }
        explode = p.age >= p.fuse;
      }
    }
    if (explode) {
      detonated.push_back(p);
      // The last projectile takes this place and is examined next.
      list[i] = list.back();
      list.pop_back();
    } else {
      ++i;
    }
  }
}
