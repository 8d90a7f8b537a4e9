#pragma once

#include <cstdint>

#include "game/tuning.h"

namespace net {

constexpr int kMaxHitDamage = 4095;

// Damage of one hit of a weapon row: base damage x zone multiplier x ramp x the shooter's damage
// scale, x the charge factor for a charging weapon, x the distance falloff, rounded half up.
// Never below 0 and at most kMaxHitDamage.
int ComputeDamage(const tune::WeaponTuning& row, float distance, float zoneMultiplier,
                  uint8_t charge, float ramp, float scale);

// The row's multiplier for a body zone: 0 head, 1 torso, 2 and above limbs.
float ZoneMultiplier(const tune::WeaponTuning& row, int zone);

// Per shooter: sustained hits on one victim build up the ramp of a ramping weapon.
struct DamageRampRecord {
  int32_t lastVictim = -1;
  float accumulated = 0.0f;     // seconds of unbroken hits
  double lastHitTime = 0.0;
};

// Registers a hit on the victim at time now (seconds) and returns the ramp factor for it: 1 for a
// row without a ramp; otherwise rising from 1 to the row's ramp factor over its ramp time. A pause
// longer than the row's ramp gap or a new victim starts the ramp again.
float DamageRamp(DamageRampRecord& record, int32_t victim, double now,
                 const tune::WeaponTuning& row);

}  // namespace net
