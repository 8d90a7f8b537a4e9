#include "game/shot_geometry.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "game/angles.h"
#include "game/collision_world.h"
#include "game/deterministic_math.h"

float ViewSin(float radians) { return DetSin(radians); }

float ViewCos(float radians) { return DetSin(radians + 1.5707964f); }

glm::vec3 ViewDirection(float yawDegrees, float pitchDegrees) {
  const float y = yawDegrees * kDegToRad;
  const float p = pitchDegrees * kDegToRad;
  const float cosP = ViewCos(p);
  const float a = ViewSin(y) * cosP;
  const float b = ViewSin(p);
  const float c = ViewCos(y) * cosP;
  const float length = std::sqrt(a * a + b * b + c * c);
  return glm::vec3(a * (-1.0f / length), b / length, c * (-1.0f / length));
}

glm::vec3 AimDirection(const PlayerState& state) { return ViewDirection(state.yaw, state.pitch); }

namespace {

// value += (target - value) x (1 - exp(-rate x dt)), or the target at once for a rate not above 0.
float EaseToward(float value, float target, float rate, float dt) {
  if (!(rate > 0.0f)) return target;
  return (1.0f - DetExp(-(rate * dt))) * (target - value) + value;
}

}  // namespace

void UpdateAimView(PlayerState& state, const InputCommand& cmd, float dt, const tune::Tuning& tuning) {
  const tune::WeaponTuning& row = tuning.Weapon(CommandWeaponRow(cmd));
  const bool aiming = (cmd.buttons & kButtonSecondary) != 0;
  const bool scoped = aiming && row.burstCount <= 0 && (row.canAim != 0 || row.scoped != 0);

  const float blendTarget = (aiming && row.scoped != 0) ? 1.0f : 0.0f;
  state.aimBlend = EaseToward(state.aimBlend, blendTarget, tuning.camera.aimBlendRate, dt);
  const float blend = state.aimBlend;

  const float distanceTarget = blend * tuning.camera.scopedViewDistance +
                               (1.0f - blend) * (scoped ? tuning.camera.aimedViewDistance : tuning.camera.hipViewDistance);
  state.viewDistance = EaseToward(state.viewDistance, distanceTarget, tuning.camera.viewEaseRate, dt);

  const float shoulderTarget = blend * tuning.camera.scopedShoulderOffset +
                               (1.0f - blend) * (scoped ? tuning.camera.aimedShoulderOffset : tuning.camera.hipShoulderOffset);
  state.shoulderOffset = EaseToward(state.shoulderOffset, shoulderTarget, tuning.camera.viewEaseRate, dt);
}

glm::vec3 ViewOrigin(const PlayerState& state, const tune::Tuning& tuning, const CollisionWorld& world) {
  const glm::vec3 d = AimDirection(state);
  const float distance = state.viewDistance;
  const float shoulder = state.shoulderOffset;
  const glm::vec3& s = state.position;

  const glm::vec3 pivot(s.x, (s.y + tuning.camera.viewPivotLowHeight) +
                                 (tuning.camera.scopedPivotRaise * state.aimBlend + tuning.camera.viewPivotHeight),
                        s.z);
  const float h = std::sqrt((d.z * 1.0f) * (d.z * 1.0f) + (d.x * 1.0f) * (d.x * 1.0f));
  glm::vec3 result((s.x - d.x * distance) + (d.z * (-1.0f / h)) * shoulder, pivot.y - d.y * distance,
                   (s.z - d.z * distance) + (d.x / h) * shoulder);

  if (tuning.camera.viewWallTest != 0) {
    const SweepHit hit = world.SweepSphere(pivot, result, tuning.camera.viewWallTestRadius);
    if (hit.hit) {
      const glm::vec3 v(result.x - pivot.x, result.y - pivot.y, result.z - pivot.z);
      const float length = std::sqrt(v.y * v.y + v.x * v.x + v.z * v.z);
      if (length > 0.0001f) {
        const float k = std::max(hit.fraction * length - tuning.camera.viewWallMargin, 0.0f) / length;
        result = glm::vec3(v.x * k + pivot.x, v.y * k + pivot.y, v.z * k + pivot.z);
      }
    }
  }
  return result;
}

namespace {

uint32_t XorShift32(uint32_t x) {
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  return x;
}

}  // namespace

glm::vec3 ApplyShotSpread(const glm::vec3& direction, uint32_t shotCounter, uint32_t pellet,
                          const tune::WeaponTuning& row) {
  const float spread = row.spread;
  if (!(spread > 0.0f)) return direction;

  // The constants are written as bits: their decimal forms would not name these floats exactly.
  const float kUnitScale = std::bit_cast<float>(0x33800001u);   // about 5.960465e-08
  const float kAngleScale = std::bit_cast<float>(0x34C90FDDu);  // about 3.745071e-07

  uint32_t x = pellet * 40503u - shotCounter * 1640531535u + 2654435769u;
  x = XorShift32(x);
  const float r = std::sqrt(static_cast<float>(x & 0xFFFFFFu) * kUnitScale) * spread;
  x = XorShift32(x);
  const float angle = static_cast<float>(x & 0xFFFFFFu) * kAngleScale;

  const float u = ViewSin(angle) * r;  // degrees up
  const float v = ViewCos(angle) * r;  // degrees right

  const glm::vec3& d = direction;
  const float h = std::sqrt(d.x * d.x + d.z * d.z);
  const float k1 = 0.017453292f;
  const float k2 = -0.017453292f;
  const float X = ((d.z * (k2 / h)) * v + d.x) + ((d.x / h) * d.y) * (u * k2);
  const float Y = d.y + ((((d.x / h) * d.x - (d.z * (-1.0f / h)) * d.z) * u) * k1);
  const float Z = (((d.x / h) * v) * k1 + d.z) + ((d.z * (k2 / h)) * d.y) * u;
  const float length = std::sqrt(Y * Y + X * X + Z * Z);
  return glm::vec3(X / length, Y / length, Z / length);
}

uint32_t ChooseRewindTick(uint32_t now, uint32_t claimed, int32_t tickRate, float maxRewindSeconds,
                          float delaySeconds, int32_t toleranceTicks) {
  const float rate = static_cast<float>(std::max(tickRate, 1));
  const float delayTicks = rate * delaySeconds;
  float limitF = rate * maxRewindSeconds;
  if (!(limitF > 0.0f)) limitF = 0.0f;  // NaN too
  if (limitF > 63.0f) limitF = 63.0f;
  const uint32_t limit = std::min(static_cast<uint32_t>(limitF), now);

  float backF = delayTicks + 0.5f;
  if (!(backF > 0.0f)) backF = 0.0f;
  if (backF > static_cast<float>(limit)) backF = static_cast<float>(limit);
  const uint32_t back = static_cast<uint32_t>(backF);
  const uint32_t estimate = now - back;

  if (claimed == 0xFFFFFFFFu) return estimate;
  const uint32_t age = now - claimed;
  if (age > limit) return estimate;
  const int64_t difference = static_cast<int64_t>(age) - static_cast<int64_t>(back);
  const int64_t tolerance = std::max(toleranceTicks, 0);
  if ((difference < 0 ? -difference : difference) <= tolerance) return claimed;
  return estimate;
}

bool IntersectRayBox(const glm::vec3& origin, const glm::vec3& direction, const glm::vec3& boxMin,
                     const glm::vec3& boxMax, float& distance) {
  float tNear = 0.0f;
  float tFar = distance;
  for (int axis = 0; axis < 3; ++axis) {
    const float o = origin[axis];
    const float d = direction[axis];
    if (std::fabs(d) >= 1e-6f) {
      const float t1 = (boxMin[axis] - o) / d;
      const float t2 = (boxMax[axis] - o) / d;
      tNear = std::max(tNear, std::min(t1, t2));
      tFar = std::min(tFar, std::max(t1, t2));
      if (tNear > tFar) return false;
    } else if (boxMin[axis] > o || boxMax[axis] < o) {
      return false;
    }
  }
  if (tNear >= distance) return false;
  distance = tNear;
  return true;
}
