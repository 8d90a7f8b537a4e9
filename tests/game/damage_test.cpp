#include "game/damage.h"

#include <limits>

#include <gtest/gtest.h>

#include "game/player_state.h"
#include "game/tuning.h"

namespace {

const tune::Tuning kTuning;

struct DamageCase {
  const char* what;
  int row;
  int zone;
  float distance;
  uint8_t charge;
  float ramp;
  float scale;
  int expected;
};

TEST(Damage, TableOfWeaponsZonesDistancesAndCharges) {
  const DamageCase cases[] = {
      {"M4 torso", kWeaponM4, 1, 10.0f, 255, 1.0f, 1.0f, 10},
      {"M4 head", kWeaponM4, 0, 10.0f, 255, 1.0f, 1.0f, 20},
      {"M4 limb rounds 7.5 up", kWeaponM4, 3, 10.0f, 255, 1.0f, 1.0f, 8},
      {"M4 left leg counts as limb", kWeaponM4, 4, 10.0f, 255, 1.0f, 1.0f, 8},
      {"LMG torso 16.2 rounds down", kWeaponLmg, 1, 5.0f, 255, 1.0f, 1.0f, 16},
      {"LMG head 32.4", kWeaponLmg, 0, 5.0f, 255, 1.0f, 1.0f, 32},
      {"orange armour deals 1.1", kWeaponM4, 1, 10.0f, 255, 1.0f, 1.1f, 11},
      {"sniper uncharged keeps the minimum", kWeaponSniper, 0, 50.0f, 0, 1.0f, 1.0f, 40},
      {"sniper fully charged", kWeaponSniper, 0, 50.0f, 255, 1.0f, 1.0f, 120},
      {"charge is ignored without a charge time", kWeaponM4, 1, 10.0f, 0, 1.0f, 1.0f, 10},
      {"shotgun pellet near", kWeaponShotgun, 1, 3.0f, 255, 1.0f, 100.0f, 1100},
      {"shotgun at the falloff start", kWeaponShotgun, 1, 7.0f, 255, 1.0f, 100.0f, 1100},
      {"shotgun halfway: 0.65", kWeaponShotgun, 1, 16.5f, 255, 1.0f, 100.0f, 715},
      {"shotgun at the falloff end: 0.3", kWeaponShotgun, 1, 26.0f, 255, 1.0f, 100.0f, 330},
      {"shotgun beyond the end stays 0.3", kWeaponShotgun, 1, 59.0f, 255, 1.0f, 100.0f, 330},
      {"shotgun one pellet at range", kWeaponShotgun, 1, 26.0f, 255, 1.0f, 1.0f, 3},
      {"SMG halfway through its falloff", kWeaponSmg, 1, 60.0f, 255, 1.0f, 1.0f, 6},
      {"SMG beyond its falloff", kWeaponSmg, 1, 200.0f, 255, 1.0f, 1.0f, 4},
      {"pistol beyond its falloff", kWeaponPistol, 1, 100.0f, 255, 1.0f, 1.0f, 8},
      {"laser at full ramp", kWeaponLaser, 1, 20.0f, 255, 3.5f, 1.0f, 8},
      {"capped at 4095", kWeaponSniper, 0, 50.0f, 255, 1.0f, 100.0f, 4095},
      {"negative scale gives 0", kWeaponM4, 1, 10.0f, 255, 1.0f, -1.0f, 0},
      {"zero damage scale", kWeaponM4, 0, 10.0f, 255, 1.0f, 0.0f, 0},
      {"below a half rounds to 0", kWeaponLaser, 3, 20.0f, 255, 1.0f, 0.2f, 0},
      {"huge scale saturates", kWeaponM4, 1, 10.0f, 255, 1.0f, 1e30f, 4095},
  };
  for (const DamageCase& c : cases) {
    const tune::WeaponTuning& row = kTuning.Weapon(c.row);
    float zone = net::ZoneMultiplier(row, c.zone);
    EXPECT_EQ(net::ComputeDamage(row, c.distance, zone, c.charge, c.ramp, c.scale), c.expected)
        << c.what;
  }
}

TEST(Damage, ShotgunFalloffIsAShareOfTheNearDamage) {
  const tune::WeaponTuning& row = kTuning.Weapon(kWeaponShotgun);
  // 11000 near damage is capped, and the cap applies after the falloff.
  EXPECT_EQ(net::ComputeDamage(row, 1.0f, 1.0f, 255, 1.0f, 1000.0f), net::kMaxHitDamage);
  EXPECT_EQ(net::ComputeDamage(row, 26.0f, 1.0f, 255, 1.0f, 1000.0f), 3300);
  EXPECT_EQ(net::ComputeDamage(row, 26.0f, 1.0f, 255, 1.0f, 100.0f), 330);   // 0.3 of 1100
  EXPECT_EQ(net::ComputeDamage(row, 16.5f, 1.0f, 255, 1.0f, 100.0f), 715);   // 0.65 of 1100
}

TEST(Damage, NotANumberNeverDamages) {
  const tune::WeaponTuning& row = kTuning.Weapon(kWeaponM4);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(net::ComputeDamage(row, 10.0f, 1.0f, 255, 1.0f, nan), 0);
  EXPECT_EQ(net::ComputeDamage(kTuning.Weapon(kWeaponShotgun), nan, 1.0f, 255, 1.0f, 1.0f), 11);
}

TEST(Damage, ZoneMultipliers) {
  const tune::WeaponTuning& row = kTuning.Weapon(kWeaponShotgun);
  EXPECT_EQ(net::ZoneMultiplier(row, 0), 1.5f);
  EXPECT_EQ(net::ZoneMultiplier(row, 1), 1.0f);
  EXPECT_EQ(net::ZoneMultiplier(row, 2), 0.85f);
  EXPECT_EQ(net::ZoneMultiplier(row, 5), 0.85f);
}

TEST(Damage, LaserRampReachesItsFactorAfterTwoSecondsOfHits) {
  const tune::WeaponTuning& laser = kTuning.Weapon(kWeaponLaser);
  net::DamageRampRecord record;
  const double step = 1.0 / 64.0;
  EXPECT_EQ(net::DamageRamp(record, 7, 10.0, laser), 1.0f);
  float ramp = 1.0f;
  for (int tick = 1; tick <= 128; ++tick) ramp = net::DamageRamp(record, 7, 10.0 + tick * step, laser);
  EXPECT_EQ(ramp, 3.5f);
  EXPECT_EQ(net::ComputeDamage(laser, 5.0f, 1.0f, 255, ramp, 1.0f), 8);  // 2.2 x 3.5 = 7.7
  // Halfway there after one second.
  net::DamageRampRecord half;
  for (int tick = 0; tick <= 64; ++tick) ramp = net::DamageRamp(half, 7, tick * step, laser);
  EXPECT_FLOAT_EQ(ramp, 2.25f);
  // It holds at the top.
  EXPECT_EQ(net::DamageRamp(record, 7, 10.0 + 129 * step, laser), 3.5f);
}

TEST(Damage, LaserRampRestartsAfterAPauseOrANewVictim) {
  const tune::WeaponTuning& laser = kTuning.Weapon(kWeaponLaser);
  net::DamageRampRecord record;
  for (int tick = 0; tick <= 64; ++tick) net::DamageRamp(record, 7, tick * 0.015625, laser);
  // A pause of exactly the gap continues the ramp.
  EXPECT_GT(net::DamageRamp(record, 7, 1.0 + 0.18, laser), 2.25f);
  // A longer pause starts it again.
  EXPECT_EQ(net::DamageRamp(record, 7, 1.18 + 0.19, laser), 1.0f);
  EXPECT_GT(net::DamageRamp(record, 7, 1.37 + 0.1, laser), 1.0f);
  // So does another victim.
  EXPECT_EQ(net::DamageRamp(record, 8, 1.47 + 0.01, laser), 1.0f);
  EXPECT_EQ(record.lastVictim, 8);
}

TEST(Damage, RowsWithoutARampNeverRamp) {
  net::DamageRampRecord record;
  for (int tick = 0; tick < 500; ++tick) {
    EXPECT_EQ(net::DamageRamp(record, 3, tick * 0.015625, kTuning.Weapon(kWeaponLmg)), 1.0f);
  }
}

}  // namespace
