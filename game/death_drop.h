#pragma once

#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "game/id_list.h"
#include "game/tuning.h"

#include "game/collision_world.h"

// A pick-up thrown out of a dead player's body. The server rolls and announces each one; client and
// server then step it with the same function, so both see the same arc.
struct DeathDrop {
  uint32_t id = 0;
  uint8_t kind = 0;
  glm::vec3 position{0.0f};
  glm::vec3 velocity{0.0f};
  float age = 0.0f;
  float spin = 0.0f;  // radians, for drawing
  uint8_t resting = 0;
  uint8_t taken = 0;
  float takenTime = 0.0f;
};

// Next number in [0, 1) from a xorshift32 state; a state of 0 first becomes 0x9E3779B9.
float DropRand01(uint32_t& state);
float DropRandRange(uint32_t& state, float low, float high);

// Rolls the drops of one death at `body` from `seed`; each new drop is appended to the list and to `spawned`.
void RollDeathDrop(IdList<DeathDrop>& drops, const glm::vec3& body, uint32_t seed, const tune::DropTuning& tuning,
                   std::vector<DeathDrop>& spawned);

// Steps every drop: falling, bouncing, resting, expiring and the rise of a taken one.
void AdvanceDrops(IdList<DeathDrop>& drops, float dt, const CollisionWorld& world, const tune::DropTuning& tuning,
                  float killHeight);

// Id of the nearest drop that may be picked up at `point`, or 0.
uint32_t FindNearestDrop(const IdList<DeathDrop>& drops, const glm::vec3& point, const tune::DropTuning& tuning);

void MarkDropTaken(IdList<DeathDrop>& drops, uint32_t id);

// Adds a drop the server announced, unless one with its id is already present.
void AddDropIfMissing(IdList<DeathDrop>& drops, const DeathDrop& drop);
