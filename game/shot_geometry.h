#pragma once

#include <cstdint>

#include <glm/vec3.hpp>

#include "game/input_command.h"
#include "game/player_state.h"
#include "game/tuning.h"

#include "game/collision_world.h"

// The shared sine, as the view, spread and sentry maths use it: one routine on client and server.
float ViewSin(float radians);
// The shared cosine: the sine of the angle plus a quarter turn, so both come from one routine.
float ViewCos(float radians);

// Unit view direction of a yaw and pitch in degrees: yaw 0 looks along -z, positive pitch looks up.
glm::vec3 ViewDirection(float yawDegrees, float pitchDegrees);
// The view direction of the state's yaw and pitch.
glm::vec3 AimDirection(const PlayerState& state);

// Eases the aim blend, view distance and shoulder offset toward the command's aim state.
void UpdateAimView(PlayerState& state, const InputCommand& cmd, float dt, const tune::Tuning& tuning);

// The third-person view point that shots are traced from, pulled in front of walls.
glm::vec3 ViewOrigin(const PlayerState& state, const tune::Tuning& tuning, const CollisionWorld& world);

// The direction of pellet `pellet` of shot number `shotCounter`, spread over a disc of the weapon
// row's spread (degrees) by a fixed hash, so client and server agree without sharing a random state.
glm::vec3 ApplyShotSpread(const glm::vec3& direction, uint32_t shotCounter, uint32_t pellet,
                          const tune::WeaponTuning& row);

// The tick a shot is traced at: the shooter's claimed view tick when it agrees with the server's own
// estimate within the tolerance, else the estimate; never more than 63 ticks back, never before 0.
uint32_t ChooseRewindTick(uint32_t now, uint32_t claimed, int32_t tickRate, float maxRewindSeconds,
                          float delaySeconds, int32_t toleranceTicks);

// Slab test of the ray origin + direction x t against a box, for t in [0, distance). On a hit,
// distance becomes the entry (0 from inside) and the result is true.
bool IntersectRayBox(const glm::vec3& origin, const glm::vec3& direction, const glm::vec3& boxMin,
                     const glm::vec3& boxMax, float& distance);
