#pragma once

#include <cstdint>

#include <glm/vec3.hpp>

#include "game/team.h"

constexpr int kWeaponRowCount = 10;
constexpr int kArmorRowCount = 5;
constexpr int kPowerRowCount = 5;
constexpr int kUpgradeTrackCount = 5;  // HEALTH, DAMAGE, SHOT SPEED, SPEED, ABILITY
constexpr int kMaxUpgradeLevel = 20;

enum WeaponRow : uint8_t {
  kWeaponNone, kWeaponM4, kWeaponShotgun, kWeaponLaser, kWeaponFlamer,
  kWeaponRpg, kWeaponSniper, kWeaponLmg, kWeaponSmg, kWeaponPistol,
};

enum PowerRow : uint8_t {
  kPowerGrenade, kPowerSentry, kPowerInvisible, kPowerShield, kPowerHealthBomb,
};

enum UpgradeTrack : uint8_t {
  kTrackHealth, kTrackDamage, kTrackShotSpeed, kTrackSpeed, kTrackAbility,
};

// Everything the movement and weapon step advances from tick to tick, and what the server adds
// about the player's standing in the match. "Ticks" count simulation ticks; angles are degrees,
// lengths metres, y points up. A default state is dead (health 0) until the server spawns it.
//
// Health, team, lives, respawn ticks, spawn protection ticks and overheal hold ticks belong to the
// server; the movement step only reads health and respawn ticks.
struct PlayerState {
  glm::vec3 position{0.0f};      // feet: bottom centre of the body box
  glm::vec3 velocity{0.0f};
  float yaw = 0.0f;              // view yaw, from the command
  float pitch = 0.0f;            // view pitch, from the command
  float aimBlend = 0.0f;         // 0..1
  float viewDistance = 3.0f;     // current view distance behind the player
  float shoulderOffset = 0.5f;   // current sideways view offset
  float bodyYaw = 0.0f;          // facing of the body, [-180, 180]
  float height = 1.8f;           // current body height
  uint8_t onGround = 0;
  uint8_t crouching = 0;
  uint8_t jumpHeld = 0;          // jump bit of the previous command
  uint16_t airTicks = 0;         // since last on the ground; saturates; 65535 after a jump
  uint16_t jumpBuffer = 0;       // ticks in which a pressed jump still fires
  uint32_t lastCommandTick = 0;
  uint8_t weapon = 0;            // weapon row held
  uint16_t ammo = 0;             // rounds in the held weapon's magazine
  uint16_t reloadTicks = 0;      // 0 = not reloading
  uint8_t fireHeld = 0;          // fire bit of the previous command
  uint16_t storedAmmo[kWeaponRowCount] = {};  // magazine of each row, saved when switching away
  uint16_t storedMask = 0;       // bit w set once row w has stored ammo
  uint16_t shotCooldown[kWeaponRowCount] = {};  // per row, ticks until it may fire again
  uint32_t shotsFired = 0;
  uint8_t burstLeft = 0;
  uint16_t burstTimer = 0;
  uint8_t secondaryHeld = 0;     // the previous step saw the burst trigger
  uint16_t chargeTicks = 0;      // secondary held with a scoped weapon, up to full charge
  uint8_t shotCharge = 0;        // charge of the last shot, 0..255
  uint8_t power = 0;             // selected power row
  uint16_t powerCooldown = 0;
  uint16_t powerActive = 0;      // ticks the power's effect still lasts; firing clears it
  uint16_t cookTicks = 0;        // ticks the grenade has been held
  uint16_t throwTicks = 0;       // ticks into the throw; 0 = none
  uint8_t cookFraction = 0;      // how far the thrown grenade was cooked, 0..255
  uint8_t powerHeld = 0;
  uint32_t powerUses = 0;        // the server runs the power when this changes
  uint8_t cookedOff = 0;         // the last grenade left the hand at the full cook time
  uint8_t team = kTeamNone;
  uint8_t armor = 0;             // armour row
  uint16_t maxHealth = 100;
  uint16_t speedPercent = 100;   // room speed setting
  uint8_t upgradeLevels[kUpgradeTrackCount] = {};
  uint16_t health = 0;           // 0 = dead
  uint8_t lives = 0;
  uint16_t respawnTicks = 0;     // while non-zero the player is frozen
  uint16_t spawnProtectionTicks = 0;
  uint16_t overhealHoldTicks = 0;
};

// The rows a state refers to, with the out-of-range rule applied.
inline uint8_t StateWeaponRow(const PlayerState& s) { return s.weapon < kWeaponRowCount ? s.weapon : 0; }
inline uint8_t StateArmorRow(const PlayerState& s) { return s.armor < kArmorRowCount ? s.armor : 0; }
inline uint8_t StatePowerRow(const PlayerState& s) { return s.power < kPowerRowCount ? s.power : 0; }
