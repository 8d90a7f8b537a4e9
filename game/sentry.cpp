#include "game/sentry.h"

#include <algorithm>
#include <cmath>

#include "game/angles.h"
#include "game/deterministic_math.h"
#include "game/shot_geometry.h"

Sentry& SpawnSentry(IdList<Sentry>& sentries, uint32_t owner, uint8_t team, const glm::vec3& position, float yaw,
                    const tune::SentryTuning& tuning) {
  Sentry sentry;
  sentry.id = TakeNextId(sentries);
  sentry.owner = owner;
  sentry.team = team;
  sentry.position = position;
  sentry.baseYaw = yaw;
  sentry.yaw = yaw;
  sentry.hitPoints = static_cast<uint16_t>(std::clamp(tuning.hitPoints, 1, 65535));
  sentries.items.push_back(sentry);
  return sentries.items.back();
}

Sentry* FindSentry(IdList<Sentry>& sentries, uint32_t id) { return FindById(sentries, id); }

const Sentry* FindSentry(const IdList<Sentry>& sentries, uint32_t id) { return FindById(sentries, id); }

// A sentry's pitch is positive downwards, the opposite of a player's view.
glm::vec3 SentryAimDirection(const Sentry& sentry) { return ViewDirection(sentry.yaw, -sentry.pitch); }

glm::vec3 SentryMuzzle(const Sentry& sentry, const tune::SentryTuning& tuning) {
  const float k = tuning.modelScale * tuning.barrelLength;
  const glm::vec3 d = SentryAimDirection(sentry);
  const glm::vec3& s = sentry.position;
  return glm::vec3(k * d.x + s.x, (tuning.modelScale * tuning.pivotHeight + s.y) + k * d.y, k * d.z + s.z);
}

void SentryTurnToward(Sentry& sentry, const glm::vec3& target, float dt, const tune::SentryTuning& tuning) {
  const glm::vec3& s = sentry.position;
  const float pivotY = tuning.pivotHeight * tuning.modelScale + s.y;
  const float dx = target.x - s.x;
  const float dz = target.z - s.z;
  const float h = std::sqrt(dx * dx + dz * dz);
  if (h < 0.0001f && std::fabs(target.y - pivotY) < 0.0001f) return;

  const float step = dt * tuning.turnRate;
  const float pitchGoal =
      std::clamp(DetAtan2(target.y - pivotY, h) * -kRadToDeg, tuning.minPitch, tuning.maxPitch);
  const float yawGoal = DetAtan2(s.x - target.x, s.z - target.z) * kRadToDeg;
  sentry.yaw += std::clamp(AngleDelta(sentry.yaw, yawGoal), -step, step);
  if (sentry.yaw > 180.0f) sentry.yaw -= 360.0f;
  if (sentry.yaw < -180.0f) sentry.yaw += 360.0f;
  sentry.pitch += std::clamp(pitchGoal - sentry.pitch, -step, step);
}
