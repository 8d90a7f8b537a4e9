#pragma once

// Helpers for tests that drive the movement step: a spawned player, commands by view angle, a
// scripted run, and a hash of the whole player state. Header-only, so test executables that do not
// link the shared simulation are unaffected.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>

#include <glm/vec3.hpp>

#include "game/collision_world.h"
#include "game/input_command.h"
#include "game/player_movement.h"
#include "game/player_state.h"
#include "game/tuning.h"

namespace testsim {

inline constexpr float kDt = 1.0f / 64.0f;

// SpawnedPlayer: a live player standing at `feet`, holding `weapon` with a full magazine.
// Command: yaw 0 looks along -z, 90 along -x, 270 along +x.
// RunTicks: `ticks` steps; the script gives the command of each tick (its tick field is filled in).
// HashPlayerState: FNV-1a over every field in declaration order (padding left out), so two states
// hash alike exactly when all their fields have the same bits.

inline PlayerState SpawnedPlayer(const glm::vec3& feet, uint8_t weapon, const tune::Tuning& tuning) {
  PlayerState state;
  state.position = feet;
  state.health = 100;
  state.maxHealth = 100;
  state.onGround = 1;
  state.weapon = weapon;
  state.ammo = static_cast<uint16_t>(tuning.Weapon(weapon).magazineSize);
  state.height = tuning.movement.standingHeight;
  return state;
}

inline InputCommand Command(float yawDegrees, int8_t forward = 0, uint8_t buttons = 0, uint8_t weapon = 0,
                            uint8_t power = 0) {
  InputCommand cmd;
  double turns = yawDegrees / 360.0;
  turns -= std::floor(turns);
  cmd.yaw = static_cast<uint16_t>(std::lround(turns * 65536.0) & 0xFFFF);
  cmd.forward = forward;
  cmd.buttons = buttons;
  cmd.weapon = weapon;
  cmd.power = power;
  return cmd;
}

inline void RunTicks(PlayerState& state, int ticks, const std::function<InputCommand(int)>& script,
                const tune::Tuning& tuning, const CollisionWorld& world, uint32_t firstTick = 1) {
  for (int i = 0; i < ticks; ++i) {
    InputCommand cmd = script(i);
    cmd.tick = firstTick + static_cast<uint32_t>(i);
    MovePlayer(state, cmd, kDt, tuning, world);
  }
}

namespace detail {

struct Fnv {
  uint64_t h = 1469598103934665603ull;
  template <typename T>
  void Add(const T& value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (unsigned char b : bytes) {
      h ^= b;
      h *= 1099511628211ull;
    }
  }
  void Add(const glm::vec3& v) {
    Add(v.x);
    Add(v.y);
    Add(v.z);
  }
  template <typename T, size_t N>
  void Add(const T (&values)[N]) {
    for (const T& v : values) Add(v);
  }
};

}  // namespace detail

inline uint64_t HashPlayerState(const PlayerState& s) {
  detail::Fnv f;
  f.Add(s.position);
  f.Add(s.velocity);
  f.Add(s.yaw);
  f.Add(s.pitch);
  f.Add(s.aimBlend);
  f.Add(s.viewDistance);
  f.Add(s.shoulderOffset);
  f.Add(s.bodyYaw);
  f.Add(s.height);
  f.Add(s.onGround);
  f.Add(s.crouching);
  f.Add(s.jumpHeld);
  f.Add(s.airTicks);
  f.Add(s.jumpBuffer);
  f.Add(s.lastCommandTick);
  f.Add(s.weapon);
  f.Add(s.ammo);
  f.Add(s.reloadTicks);
  f.Add(s.fireHeld);
  f.Add(s.storedAmmo);
  f.Add(s.storedMask);
  f.Add(s.shotCooldown);
  f.Add(s.shotsFired);
  f.Add(s.burstLeft);
  f.Add(s.burstTimer);
  f.Add(s.secondaryHeld);
  f.Add(s.chargeTicks);
  f.Add(s.shotCharge);
  f.Add(s.power);
  f.Add(s.powerCooldown);
  f.Add(s.powerActive);
  f.Add(s.cookTicks);
  f.Add(s.throwTicks);
  f.Add(s.cookFraction);
  f.Add(s.powerHeld);
  f.Add(s.powerUses);
  f.Add(s.cookedOff);
  f.Add(s.team);
  f.Add(s.armor);
  f.Add(s.maxHealth);
  f.Add(s.speedPercent);
  f.Add(s.upgradeLevels);
  f.Add(s.health);
  f.Add(s.lives);
  f.Add(s.respawnTicks);
  f.Add(s.spawnProtectionTicks);
  f.Add(s.overhealHoldTicks);
  return f.h;
}

}  // namespace testsim
