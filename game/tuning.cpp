#include "game/tuning.h"

#include <cstring>

namespace tune {

Tuning g_tuning;

const WeaponTuning& Tuning::Weapon(int i) const {
  return weapons[(i >= 0 && i < kWeaponCount) ? i : 0];
}

const ArmorTuning& Tuning::Armor(int i) const {
  return armors[(i >= 0 && i < kArmorCount) ? i : 0];
}

const PowerTuning& Tuning::Power(int i) const {
  return powers[(i >= 0 && i < kPowerCount) ? i : 0];
}

Tuning Tuning::CopyForServer(const Tuning& source) {
  // memcpy rather than assignment: the copy must match the source in every byte, padding included.
  Tuning copy;
  std::memcpy(static_cast<void*>(&copy), static_cast<const void*>(&source), sizeof(Tuning));
  copy.account.enabled = 0;
  return copy;
}

}  // namespace tune
