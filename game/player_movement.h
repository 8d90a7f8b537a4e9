#pragma once

#include <glm/vec3.hpp>

#include "game/collision_world.h"
#include "game/input_command.h"
#include "game/player_state.h"
#include "game/tuning.h"

// One deterministic step of one player: the command applied to the state over dt seconds, moving the
// body through the level and running the weapon, reload, burst, charge and power timers. Client
// prediction and the server run this same function and must reach the same bits; it reads only its
// arguments and writes only the state.
void MovePlayer(PlayerState& state, const InputCommand& cmd, float dt, const tune::Tuning& tuning,
                const CollisionWorld& world);

// The result of a slide or step: the velocity left after the surfaces met, and the last hit.
struct MoveResult {
  glm::vec3 velocity{0.0f};
  SweepHit hit;
};

// Adds up to accel x dt of speed along wishDir until the speed along it reaches wishSpeed.
void Accelerate(glm::vec3& velocity, const glm::vec3& wishDir, float wishSpeed, float accel, float dt);

// Ground friction on the horizontal velocity.
void ApplyFriction(glm::vec3& velocity, const tune::MovementTuning& settings, float dt);

// True when walkable ground lies within the probe distance below the state's feet.
bool ProbeGround(const CollisionWorld& world, const PlayerState& state, const tune::MovementTuning& settings,
                 float height);

bool IsWalkable(const SweepHit& hit, const tune::MovementTuning& settings);

// Sweeps the body box along motion and advances position to the contact, stopping 0.001 short of the
// surface along its normal so that the next sweep does not start touching it.
SweepHit SweepBody(const CollisionWorld& world, glm::vec3& position, const glm::vec3& motion, float radius,
                   float height);

// The vector nearest to velocity that does not point into any of the planes.
glm::vec3 ClipVelocity(const glm::vec3& velocity, const glm::vec3* planes, int count);

// Collide-and-slide of the body along motion, at most 6 contacts.
MoveResult SlideMove(const CollisionWorld& world, glm::vec3& position, const glm::vec3& motion,
                     const glm::vec3& velocity, const tune::MovementTuning& settings, float height);

// A slide that, when blocked and allowed, also tries the same move lifted by the step height and keeps
// whichever gets farther.
MoveResult StepMove(const CollisionWorld& world, glm::vec3& position, const glm::vec3& motion,
                    const glm::vec3& velocity, const tune::MovementTuning& settings, float height,
                    bool allowStep);

bool BodyOverlaps(const CollisionWorld& world, const glm::vec3& position, float radius, float height);
