#include "net/quantized_player.h"

#include <cmath>

namespace net {
namespace {

int32_t QuantizePosition(float metres)
{
    const float scaled = std::round(metres * 256.0f);
    if (scaled != scaled) {
        return 0;
    }
    if (scaled <= -static_cast<float>(kQuantizedPositionLimit)) {
        return -kQuantizedPositionLimit;
    }
    if (scaled >= static_cast<float>(kQuantizedPositionLimit)) {
        return kQuantizedPositionLimit;
    }
    return static_cast<int32_t>(scaled);
}

}  // namespace

uint16_t QuantizeAngle(float degrees, int bits)
{
    if (!std::isfinite(degrees) || bits < 1 || bits > 16) {
        return 0;
    }
    float angle = degrees;
    // Far outside a few turns the steps of 360 below would take too long or stop changing the
    // value; fmod is exact, and within this range the steps give the same bits as always.
    if (std::fabs(angle) > 36000.0f) {
        angle = std::fmod(angle, 360.0f);
    }
    while (angle < 0.0f) {
        angle += 360.0f;
    }
    while (angle >= 360.0f) {
        angle -= 360.0f;
    }
    const float scale = static_cast<float>(1u << bits) * 0.0027777778f;
    const int32_t steps = static_cast<int32_t>(angle * scale);
    const uint16_t low16 = static_cast<uint16_t>(steps);
    return static_cast<uint16_t>(low16 & ((1u << bits) - 1u));
}

QuantizedPlayer QuantizePlayer(const PlayerState& state)
{
    QuantizedPlayer q;
    q.x = QuantizePosition(state.position.x);
    q.y = QuantizePosition(state.position.y);
    q.z = QuantizePosition(state.position.z);
    q.yaw = QuantizeAngle(state.yaw, kQuantizedYawBits);
    q.pitch = QuantizeAngle(state.pitch + 180.0f, kQuantizedPitchBits);
    q.bodyYaw = QuantizeAngle(state.bodyYaw, kQuantizedBodyYawBits);

    uint32_t flags = 0;
    if (state.onGround != 0) {
        flags |= kQuantizedOnGround;
    }
    if (state.crouching != 0) {
        flags |= kQuantizedCrouching;
    }
    if (state.fireHeld != 0 && state.ammo > 0 && state.reloadTicks == 0 && state.cookTicks == 0 &&
        state.throwTicks == 0) {
        flags |= kQuantizedFiring;
    }
    flags |= (static_cast<uint32_t>(state.weapon) & 0xFu) << kQuantizedWeaponShift;
    if (state.team == 1) {
        flags |= kQuantizedTeamBlue;
    }
    if (state.spawnProtectionTicks != 0) {
        flags |= kQuantizedSpawnProtected;
    }
    flags |= (static_cast<uint32_t>(state.armor) & 0x7u) << kQuantizedArmorShift;
    if (state.reloadTicks != 0) {
        flags |= kQuantizedReloading;
    }
    q.flags = flags;

    const float horizontal = std::sqrt(state.velocity.x * state.velocity.x + state.velocity.z * state.velocity.z);
    const float speed = horizontal * 4.0f + 0.5f;
    q.speed = static_cast<uint8_t>(speed >= 63.0f ? 63 : (speed >= 0.0f ? static_cast<int>(speed) : 0));
    q.shotCount = static_cast<uint8_t>(state.shotsFired % 8u);
    return q;
}

void AddServerFlags(QuantizedPlayer& record, const PlayerState& state, bool burning)
{
    if (burning) {
        record.flags |= kQuantizedBurning;
    }
    if (state.cookTicks != 0) {
        record.flags |= kQuantizedCooking;
    }
    if (state.throwTicks != 0) {
        record.flags |= kQuantizedThrowing;
    }
    if (state.powerActive != 0) {
        record.flags |= kQuantizedPowerActive;
    }
}

}  // namespace net
