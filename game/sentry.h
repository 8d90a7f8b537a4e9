#pragma once

#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "game/id_list.h"
#include "game/tuning.h"

// A planted turret that turns toward enemies at a limited rate and fires at them.
struct Sentry {
  static constexpr int kIdBits = 12;  // the width a sentry id travels in
  uint32_t id = 0;
  uint32_t owner = 0;
  uint8_t team = 255;
  glm::vec3 position{0.0f};  // foot point on the floor
  float baseYaw = 0.0f;      // degrees, as planted
  float yaw = 0.0f;          // degrees in [-180, 180]; yaw 0 looks along -z like the player's view
  float pitch = 0.0f;        // degrees; positive points the barrel down
  uint16_t hitPoints = 0;
  int32_t target = -1;       // player slot aimed at, -1 for none
  float fireCooldown = 0.0f;
  float age = 0.0f;
  uint32_t shotCount = 0;
};

Sentry& SpawnSentry(IdList<Sentry>& sentries, uint32_t owner, uint8_t team, const glm::vec3& position, float yaw,
                    const tune::SentryTuning& tuning);

Sentry* FindSentry(IdList<Sentry>& sentries, uint32_t id);
const Sentry* FindSentry(const IdList<Sentry>& sentries, uint32_t id);

// Unit barrel direction; a positive sentry pitch points down.
glm::vec3 SentryAimDirection(const Sentry& sentry);

glm::vec3 SentryMuzzle(const Sentry& sentry, const tune::SentryTuning& tuning);

// Turns yaw (the short way round) and pitch toward the point, each by at most the turn rate x dt.
void SentryTurnToward(Sentry& sentry, const glm::vec3& target, float dt, const tune::SentryTuning& tuning);
