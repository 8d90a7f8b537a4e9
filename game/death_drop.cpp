#include "game/death_drop.h"

#include <algorithm>
#include <cmath>

#include "game/collision_world.h"
#include "game/deterministic_math.h"

float DropRand01(uint32_t& state) {
  uint32_t x = state == 0 ? 0x9E3779B9u : state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  state = x;
  return static_cast<float>(x >> 8) * 5.9604645e-08f;
}

float DropRandRange(uint32_t& state, float low, float high) { return DropRand01(state) * (high - low) + low; }

void RollDeathDrop(IdList<DeathDrop>& drops, const glm::vec3& body, uint32_t seed, const tune::DropTuning& tuning,
                   std::vector<DeathDrop>& spawned) {
  uint32_t state = seed;
  const int32_t minCount = tuning.minCount;
  const int32_t maxCount = tuning.maxCount;
  // 64-bit so that absurd counts in the tuning cannot overflow the span.
  const int64_t span = static_cast<int64_t>(maxCount) - static_cast<int64_t>(minCount) + 1;
  int64_t count = minCount + static_cast<int64_t>(DropRand01(state) * static_cast<float>(span));
  if (count > maxCount) count = maxCount;
  for (int64_t i = 0; i < count; ++i) {
    DeathDrop drop;
    drop.id = TakeNextId(drops);
    const float angle = DropRand01(state) * 6.2831855f;
    const float speed = DropRandRange(state, tuning.horizontalSpeedLow, tuning.horizontalSpeedHigh);
    const float up = DropRandRange(state, tuning.verticalSpeedLow, tuning.verticalSpeedHigh);
    drop.spin = DropRand01(state) * 6.2831855f;
    drop.position = glm::vec3(body.x, body.y + tuning.spawnHeight, body.z);
    drop.velocity = glm::vec3(DetCos(angle) * speed, up, DetSin(angle) * speed);
    drops.items.push_back(drop);
    spawned.push_back(drop);
  }
}

void AdvanceDrops(IdList<DeathDrop>& drops, float dt, const CollisionWorld& world, const tune::DropTuning& tuning,
                  float killHeight) {
  std::vector<DeathDrop>& list = drops.items;
  size_t i = 0;
  while (i < list.size()) {
    DeathDrop& drop = list[i];
    bool remove = false;
    drop.age += dt;
    if (drop.taken != 0) {
      drop.takenTime += dt;
      if (drop.takenTime >= tuning.takenDisplayTime) {
        remove = true;
      } else {
        drop.position.y += dt * tuning.riseSpeed;
      }
    } else if (drop.age >= tuning.lifetime || drop.position.y < killHeight) {
      remove = true;
    } else if (drop.resting == 0) {
      const float restitution = tuning.restitution;
      glm::vec3& p = drop.position;
      glm::vec3& v = drop.velocity;
      v.y -= dt * tuning.gravity;
      const glm::vec3 target(dt * v.x + p.x, v.y * dt + p.y, dt * v.z + p.z);
      const SweepHit hit = world.SweepSphere(p, target, 0.0f);
      if (hit.hit) {
        p = glm::vec3(hit.point.x + hit.normal.x * 0.02f, hit.point.y + hit.normal.y * 0.02f,
                      hit.point.z + hit.normal.z * 0.02f);
        if (hit.normal.y > 0.5f) {
          const float bounceY = restitution * v.y;
          v = glm::vec3(restitution * v.x, -bounceY, restitution * v.z);
          if (std::fabs(bounceY) < tuning.restSpeed) {
            v = glm::vec3(0.0f);
            drop.resting = 1;
          }
        } else {
          v.x = -(restitution * v.x);
          v.z = -(restitution * v.z);
        }
      } else {
        p = target;
      }
      if (world.hasFloor && !(p.y - 0.02f > world.floorY)) {
        p.y = world.floorY + 0.02f;
        const float bounceY = v.y * restitution;
        v.y = -bounceY;
        const float f = std::max(1.0f - dt * tuning.groundFriction, 0.0f);
        v.x *= f;
        v.z *= f;
        if (std::fabs(bounceY) < tuning.restSpeed) {
          v = glm::vec3(0.0f);
          drop.resting = 1;
        }
      }
    }
    if (remove) {
      // The last drop takes this place and is examined next.
      list[i] = list.back();
      list.pop_back();
    } else {
      ++i;
    }
  }
}

uint32_t FindNearestDrop(const IdList<DeathDrop>& drops, const glm::vec3& point, const tune::DropTuning& tuning) {
  float best = tuning.pickupRadius * tuning.pickupRadius;
  uint32_t result = 0;
  for (const DeathDrop& drop : drops.items) {
    if (drop.taken != 0 || drop.age < tuning.minPickupAge) continue;
    const glm::vec3 d = drop.position - point;
    const float d2 = d.x * d.x + d.y * d.y + d.z * d.z;
    if (d2 < best) {
      best = d2;
      result = drop.id;
    }
  }
  return result;
}

void MarkDropTaken(IdList<DeathDrop>& drops, uint32_t id) {
  for (DeathDrop& drop : drops.items) {
    if (drop.id != id || drop.taken != 0) continue;
    drop.taken = 1;
    drop.takenTime = 0.0f;
    drop.velocity = glm::vec3(0.0f);
    return;
  }
}

void AddDropIfMissing(IdList<DeathDrop>& drops, const DeathDrop& drop) { AddIfMissing(drops, drop); }
