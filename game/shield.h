#pragma once

#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "game/id_list.h"
#include "game/tuning.h"

// A standing wall of energy put up by the shield power; it blocks the shots of everyone but its
// owner's side. The wall is a box turned about the vertical axis by the shield's yaw.
struct Shield {
  static constexpr int kIdBits = 12;  // the width a shield id travels in
  uint32_t id = 0;
  uint32_t owner = 0;
  uint8_t team = 255;
  glm::vec3 position{0.0f};  // middle of the wall's base
  float yaw = 0.0f;          // degrees
  uint16_t hitPoints = 0;    // 0 = broken
  float age = 0.0f;          // seconds
  double lastFlameDamageTime = 0.0;
};

// Radians of the wall's frame for a shield yaw in degrees (the model faces the other way).
float YawToShieldAngle(float yawDegrees);
// The wall's local x and z axes in world space for a frame angle.
void ShieldBasis(float angle, glm::vec3& xAxis, glm::vec3& zAxis);

Shield& SpawnShield(IdList<Shield>& shields, uint32_t owner, uint8_t team, const glm::vec3& position, float yaw,
                    const tune::ShieldTuning& tuning);

glm::mat4 ShieldModelMatrix(const Shield& shield, const tune::ShieldTuning& tuning);

// The point of the wall's box nearest to `point`.
glm::vec3 ClosestPointOnShield(const Shield& shield, const tune::ShieldTuning& tuning, const glm::vec3& point);

struct ShieldTrace {
  bool hit = false;
  float distance = 0.0f;
  glm::vec3 point{0.0f};
};

// Ray origin + direction x t (direction a unit vector) against one wall, for t up to maxDistance.
// A broken shield is never hit; a ray starting inside the wall hits at 0.
ShieldTrace TraceShield(const Shield& shield, const tune::ShieldTuning& tuning, const glm::vec3& origin,
                        const glm::vec3& direction, float maxDistance);

// Id of the nearest shield that stops the segment from -> to for this shooter, or 0. The shooter's
// own shields and, outside free-for-all (team 255), its team's shields let the shot through.
uint32_t TraceShields(const IdList<Shield>& shields, uint8_t shooterTeam, uint32_t shooterId,
                      const glm::vec3& from, const glm::vec3& to, const tune::ShieldTuning& tuning,
                      glm::vec3* outPoint = nullptr);
