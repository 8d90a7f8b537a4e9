#include "net/player_state_codec.h"

#include <cstdint>

#include "net/message_stream.h"

namespace {

template <class S, class T>
void Flag(S& stream, T& value)
{
    if constexpr (S::kReading) {
        value = static_cast<std::remove_cv_t<T>>(stream.reader.Read(1));
    } else {
        stream.writer.Write(value != 0 ? 1u : 0u, 1);
    }
}

// One field list for both directions, in wire order.
template <class S, class State, class Burning>
void SerializePlayerState(S& stream, State& s, Burning& burning)
{
    using net::SerializeBits;
    using net::SerializeFloat;
    SerializeBits(stream, s.lastCommandTick, 32);
    SerializeFloat(stream, s.yaw);
    SerializeFloat(stream, s.pitch);
    SerializeFloat(stream, s.aimBlend);
    SerializeFloat(stream, s.viewDistance);
    SerializeFloat(stream, s.shoulderOffset);
    SerializeFloat(stream, s.position.x);
    SerializeFloat(stream, s.position.y);
    SerializeFloat(stream, s.position.z);
    SerializeFloat(stream, s.velocity.x);
    SerializeFloat(stream, s.velocity.y);
    SerializeFloat(stream, s.velocity.z);
    SerializeFloat(stream, s.bodyYaw);
    SerializeFloat(stream, s.height);
    Flag(stream, s.onGround);
    Flag(stream, s.crouching);
    Flag(stream, s.jumpHeld);
    SerializeBits(stream, s.airTicks, 16);
    SerializeBits(stream, s.jumpBuffer, 16);
    SerializeBits(stream, s.team, 8);
    SerializeBits(stream, s.armor, 3);
    SerializeBits(stream, s.maxHealth, 16);
    SerializeBits(stream, s.speedPercent, 14);
    for (auto& level : s.upgradeLevels) {
        net::SerializeClamped(stream, level, 5, kMaxUpgradeLevel);
    }
    SerializeBits(stream, s.health, 16);
    SerializeBits(stream, s.lives, 8);
    SerializeBits(stream, s.respawnTicks, 16);
    SerializeBits(stream, s.spawnProtectionTicks, 16);
    SerializeBits(stream, s.overhealHoldTicks, 16);
    Flag(stream, burning);
    SerializeBits(stream, s.weapon, 4);
    SerializeBits(stream, s.ammo, 16);
    SerializeBits(stream, s.reloadTicks, 16);
    Flag(stream, s.fireHeld);
    SerializeBits(stream, s.burstLeft, 4);
    SerializeBits(stream, s.burstTimer, 8);
    Flag(stream, s.secondaryHeld);
    SerializeBits(stream, s.shotsFired, 32);
    SerializeBits(stream, s.chargeTicks, 16);
    SerializeBits(stream, s.shotCharge, 8);
    SerializeBits(stream, s.power, 3);
    SerializeBits(stream, s.powerCooldown, 16);
    SerializeBits(stream, s.powerActive, 16);
    SerializeBits(stream, s.cookTicks, 16);
    SerializeBits(stream, s.throwTicks, 16);
    SerializeBits(stream, s.cookFraction, 8);
    Flag(stream, s.powerHeld);
    SerializeBits(stream, s.powerUses, 32);
    Flag(stream, s.cookedOff);
    SerializeBits(stream, s.storedMask, 10);
    for (int row = 0; row < kWeaponRowCount; ++row) {
        SerializeBits(stream, s.storedAmmo[row], 16);
        SerializeBits(stream, s.shotCooldown[row], 16);
    }
}

}  // namespace

void WritePlayerState(net::BitWriter& writer, const PlayerState& state, bool burning)
{
    net::WriteStream stream(writer);
    const bool flag = burning;
    SerializePlayerState(stream, state, flag);
}

bool ReadPlayerState(net::BitReader& reader, PlayerState& state, bool& burning)
{
    net::ReadStream stream(reader);
    PlayerState read;
    bool flag = false;
    SerializePlayerState(stream, read, flag);
    if (reader.Overflowed()) {
        return false;
    }
    state = read;
    burning = flag;
    return true;
}
