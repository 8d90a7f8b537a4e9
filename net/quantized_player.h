#pragma once
// The compact record of a player that snapshots carry for everybody but the receiver, and that the
// server keeps per player and tick in its history.
#include <cstdint>

#include "game/player_state.h"

namespace net {

constexpr int32_t kQuantizedPositionLimit = 524288;  // 2048 m in 1/256 m
constexpr int kQuantizedYawBits = 12;
constexpr int kQuantizedPitchBits = 10;
constexpr int kQuantizedBodyYawBits = 10;
constexpr int kQuantizedFlagBits = 18;
constexpr int kQuantizedSpeedBits = 6;
constexpr int kQuantizedShotBits = 3;

// Flag bits of the record.
enum QuantizedFlag : uint32_t {
    kQuantizedOnGround = 1u << 0,
    kQuantizedCrouching = 1u << 1,
    kQuantizedFiring = 1u << 2,  // fire held with ammo, not reloading, cooking or throwing
    kQuantizedWeaponShift = 4,   // bits 4-7: weapon row
    kQuantizedTeamBlue = 1u << 8,
    kQuantizedSpawnProtected = 1u << 9,
    kQuantizedArmorShift = 10,  // bits 10-12: armour row
    kQuantizedBurning = 1u << 13,
    kQuantizedCooking = 1u << 14,
    kQuantizedThrowing = 1u << 15,
    kQuantizedPowerActive = 1u << 16,
    kQuantizedReloading = 1u << 17,
};

struct QuantizedPlayer {
    int32_t x = 0;  // position x 256, rounded half away from zero, within +-524288
    int32_t y = 0;
    int32_t z = 0;
    uint16_t yaw = 0;       // 12-bit angle
    uint16_t pitch = 0;     // pitch + 180 as a 10-bit angle
    uint16_t bodyYaw = 0;   // 10-bit angle
    uint32_t flags = 0;     // 18 bits
    uint8_t speed = 0;      // horizontal speed in 0.25 m/s, 0..63
    uint8_t shotCount = 0;  // shots fired modulo 8

    bool operator==(const QuantizedPlayer&) const = default;
};

// An angle in degrees as `bits` bits of a turn: wrapped into [0, 360), scaled and truncated; an
// angle that rounds up to a whole turn becomes 0, and one that is not finite gives 0.
uint16_t QuantizeAngle(float degrees, int bits);
// The record of a state. Flag bits 13-16 (burning, cooking, throwing, power active) are left to
// the caller, which knows the server's clock; see AddServerFlags.
QuantizedPlayer QuantizePlayer(const PlayerState& state);
// ORs in the flag bits that come from outside the state's own fields.
void AddServerFlags(QuantizedPlayer& record, const PlayerState& state, bool burning);

}  // namespace net
