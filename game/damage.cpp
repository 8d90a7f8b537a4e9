#include "game/damage.h"

namespace net {

int ComputeDamage(const tune::WeaponTuning& row, float distance, float zoneMultiplier,
                  uint8_t charge, float ramp, float scale) {
  float m = zoneMultiplier * ramp * scale;
  if (row.fullChargeTime > 0.0f) {
    m = m * ((1.0f - row.minChargeFactor) * float(charge) / 255.0f + row.minChargeFactor);
  }
  float value;
  if (distance > row.falloffStart && row.falloffEnd > row.falloffStart) {
    float t = (distance - row.falloffStart) / (row.falloffEnd - row.falloffStart);
    if (t > 1.0f) t = 1.0f;
    float f = t * (row.falloffFactor - 1.0f) + 1.0f;
    value = f * row.damage * m + 0.5f;
  } else {
    value = row.damage * m + 0.5f;
  }
  // Compared before converting: a huge or NaN value would make the conversion undefined.
  if (!(value >= 1.0f)) return 0;
  if (value >= float(kMaxHitDamage)) return kMaxHitDamage;
  return int(value);
}

float ZoneMultiplier(const tune::WeaponTuning& row, int zone) {
  if (zone == 0) return row.headMultiplier;
  if (zone >= 2) return row.limbMultiplier;
  return row.torsoMultiplier;
}

float DamageRamp(DamageRampRecord& record, int32_t victim, double now,
                 const tune::WeaponTuning& row) {
  if (!(row.rampTime > 0.0f)) return 1.0f;
  if (victim == record.lastVictim && now - record.lastHitTime <= double(row.rampGap)) {
    record.accumulated += float(now - record.lastHitTime);
  } else {
    record.lastVictim = victim;
    record.accumulated = 0.0f;
  }
  record.lastHitTime = now;
  float t = record.accumulated / row.rampTime;
  if (t < 0.0f) t = 0.0f;
  if (t > 1.0f) t = 1.0f;
  return (row.rampFactor - 1.0f) * t + 1.0f;
}

}  // namespace net
