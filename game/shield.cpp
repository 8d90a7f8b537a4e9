#include "game/shield.h"

#include <algorithm>
#include <cmath>

#include "game/angles.h"
#include "game/shot_geometry.h"

namespace {

float Dot(const glm::vec3& a, const glm::vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct WallBox {
  glm::vec3 low;
  glm::vec3 high;
};

WallBox ShieldBox(const tune::ShieldTuning& tuning) {
  const float halfWidth = tuning.scale * tuning.halfWidth;
  const float halfDepth = tuning.scale * tuning.halfDepth;
  return {glm::vec3(-halfWidth, 0.0f, -halfDepth), glm::vec3(halfWidth, tuning.scale * tuning.height, halfDepth)};
}

}  // namespace

float YawToShieldAngle(float yawDegrees) { return yawDegrees * kDegToRad + 3.1415927f; }

void ShieldBasis(float angle, glm::vec3& xAxis, glm::vec3& zAxis) {
  const float s = ViewSin(angle);
  const float c = ViewCos(angle);
  xAxis = glm::vec3(c, 0.0f, -s);
  zAxis = glm::vec3(s, 0.0f, c);
}

Shield& SpawnShield(IdList<Shield>& shields, uint32_t owner, uint8_t team, const glm::vec3& position, float yaw,
                    const tune::ShieldTuning& tuning) {
  Shield shield;
  shield.id = TakeNextId(shields);
  shield.owner = owner;
  shield.team = team;
  shield.position = position;
  shield.yaw = yaw;
  shield.hitPoints = static_cast<uint16_t>(std::clamp(tuning.hitPoints, 1, 65535));
  shields.items.push_back(shield);
  return shields.items.back();
}

glm::mat4 ShieldModelMatrix(const Shield& shield, const tune::ShieldTuning& tuning) {
  // The same basis the traces use, so the drawn wall and the solid one cannot disagree.
  glm::vec3 xAxis;
  glm::vec3 zAxis;
  ShieldBasis(YawToShieldAngle(shield.yaw), xAxis, zAxis);
  const float scale = tuning.scale;
  glm::mat4 m(1.0f);
  m[0] = glm::vec4(xAxis * scale, 0.0f);
  m[1] = glm::vec4(0.0f, scale, 0.0f, 0.0f);
  m[2] = glm::vec4(zAxis * scale, 0.0f);
  m[3] = glm::vec4(shield.position, 1.0f);
  return m;
}

glm::vec3 ClosestPointOnShield(const Shield& shield, const tune::ShieldTuning& tuning, const glm::vec3& point) {
  glm::vec3 xAxis;
  glm::vec3 zAxis;
  ShieldBasis(YawToShieldAngle(shield.yaw), xAxis, zAxis);
  const WallBox box = ShieldBox(tuning);
  const glm::vec3 d = point - shield.position;
  const float lx = std::clamp(Dot(d, xAxis), box.low.x, box.high.x);
  const float lz = std::clamp(Dot(d, zAxis), box.low.z, box.high.z);
  const float ly = std::clamp(d.y, box.low.y, box.high.y);
  const glm::vec3& s = shield.position;
  return glm::vec3(s.x + lx * xAxis.x + lz * zAxis.x, s.y + lx * xAxis.y + (lz * zAxis.y + ly),
                   s.z + lx * xAxis.z + lz * zAxis.z);
}

ShieldTrace TraceShield(const Shield& shield, const tune::ShieldTuning& tuning, const glm::vec3& origin,
                        const glm::vec3& direction, float maxDistance) {
  ShieldTrace result;
  if (shield.hitPoints == 0) return result;
  glm::vec3 xAxis;
  glm::vec3 zAxis;
  ShieldBasis(YawToShieldAngle(shield.yaw), xAxis, zAxis);
  const WallBox box = ShieldBox(tuning);
  const glm::vec3 d = origin - shield.position;
  const glm::vec3 localOrigin(Dot(d, xAxis), d.y, Dot(d, zAxis));
  const glm::vec3 localDirection(Dot(direction, xAxis), direction.y, Dot(direction, zAxis));

  float tNear = 0.0f;
  float tFar = maxDistance;
  for (int axis = 0; axis < 3; ++axis) {
    const float o = localOrigin[axis];
    const float dir = localDirection[axis];
    if (std::fabs(dir) >= 1e-6f) {
      const float t1 = (box.low[axis] - o) / dir;
      const float t2 = (box.high[axis] - o) / dir;
      tNear = std::max(tNear, std::min(t1, t2));
      tFar = std::min(std::max(t1, t2), tFar);
      if (tNear > tFar) return result;
    } else if (o < box.low[axis] || o > box.high[axis]) {
      return result;
    }
  }
  result.hit = true;
  result.distance = tNear;
  result.point = origin + direction * tNear;
  return result;
}

uint32_t TraceShields(const IdList<Shield>& shields, uint8_t shooterTeam, uint32_t shooterId,
                      const glm::vec3& from, const glm::vec3& to, const tune::ShieldTuning& tuning,
                      glm::vec3* outPoint) {
  const glm::vec3 v = to - from;
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length < 0.0001f) return 0;
  const glm::vec3 direction = v / length;
  float best = length;
  uint32_t result = 0;
  for (const Shield& shield : shields.items) {
    if (shield.owner == shooterId) continue;
    if (shooterTeam != 255 && shield.team == shooterTeam) continue;
    const ShieldTrace trace = TraceShield(shield, tuning, from, direction, best);
    if (!trace.hit) continue;
    // A later shield at the same distance wins: the trace is limited to best, not below it.
    result = shield.id;
    best = trace.distance;
    if (outPoint != nullptr) *outPoint = trace.point;
  }
  return result;
}
