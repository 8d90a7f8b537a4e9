#include "net/world_messages.h"

#include <cmath>
#include <cstdlib>

#include "game/projectile.h"
#include "game/sentry.h"
#include "game/shield.h"
#include "net/message_stream.h"

namespace net {
namespace {

bool IsFinite(const glm::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

template <class S, class M>
bool SerializeHitEvent(S& stream, M& m)
{
    if (!SerializeSlot(stream, m.attacker)) {
        return false;
    }
    SerializeBits(stream, m.victim, 8);
    SerializeBits(stream, m.kind, 3);
    if constexpr (S::kReading) {
        m.amount = static_cast<int>(stream.reader.Read(12));
    } else {
        const int64_t amount = std::llabs(static_cast<int64_t>(m.amount));
        stream.writer.Write(static_cast<uint32_t>(amount > kMaxHitAmount ? kMaxHitAmount : amount), 12);
    }
    SerializeBool(stream, m.lethal);
    bool alwaysSet = true;
    SerializeBool(stream, alwaysSet);
    SerializeBool(stream, m.healing);
    SerializeVec3(stream, m.position);
    return true;
}

template <class S, class Drop>
void SerializeDrop(S& stream, Drop& drop)
{
    SerializeBits(stream, drop.id, 32);
    SerializeBits(stream, drop.kind, 2);
    SerializeVec3(stream, drop.position);
    SerializeVec3(stream, drop.velocity);
    SerializeFloat(stream, drop.spin);
}

template <class S, class M>
bool SerializeDropSpawned(S& stream, M& m)
{
    if constexpr (S::kReading) {
        m.drops.clear();
        const uint32_t count = stream.reader.Read(4);
        if (count < 1 || count > kMaxDropsPerMessage) {
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            DropSpawnEntry drop;
            SerializeDrop(stream, drop);
            if (stream.Overflowed()) {
                return false;  // the drops read whole so far stay
            }
            m.drops.push_back(drop);
        }
        return true;
    } else {
        if (m.drops.empty()) {
            return false;
        }
        const uint32_t count =
            m.drops.size() < kMaxDropsPerMessage ? static_cast<uint32_t>(m.drops.size()) : kMaxDropsPerMessage;
        stream.writer.Write(count, 4);
        for (uint32_t i = 0; i < count; ++i) {
            SerializeDrop(stream, m.drops[i]);
        }
        return true;
    }
}

template <class S, class M>
bool SerializeDropTaken(S& stream, M& m)
{
    SerializeBits(stream, m.dropId, 32);
    SerializeBits(stream, m.slot, 8);
    return true;
}

template <class S, class M>
bool SerializeProjectileSpawned(S& stream, M& m)
{
    SerializeBits(stream, m.id, Projectile::kIdBits);
    SerializeBits(stream, m.kind, 2);
    if (!SerializeSlot(stream, m.owner)) {
        return false;
    }
    SerializeVec3(stream, m.position);
    SerializeVec3(stream, m.velocity);
    return true;
}

template <class S, class M>
bool SerializeProjectileDetonated(S& stream, M& m)
{
    SerializeBits(stream, m.id, Projectile::kIdBits);
    SerializeVec3(stream, m.position);
    return true;
}

template <class S, class M>
bool SerializeKillEvent(S& stream, M& m)
{
    SerializeBits(stream, m.victim, 8);
    SerializeBits(stream, m.armour, 3);
    SerializeVec3(stream, m.position);
    SerializeFloat(stream, m.yaw);
    SerializeFloat(stream, m.bodyYaw);
    return true;
}

template <class S, class Entry>
bool SerializeSentry(S& stream, Entry& sentry)
{
    SerializeBits(stream, sentry.id, Sentry::kIdBits);
    if (!SerializeSlot(stream, sentry.owner)) {
        return false;
    }
    SerializeTeam(stream, sentry.team);
    SerializeVec3(stream, sentry.position);
    SerializeFloat(stream, sentry.baseYaw);
    SerializeFloat(stream, sentry.yaw);
    SerializeFloat(stream, sentry.pitch);
    SerializeClamped(stream, sentry.hitPoints, 10, kMaxWorldObjectHitPoints);
    SerializeBits(stream, sentry.shotsFired, 3);
    if constexpr (S::kReading) {
        const bool hasTarget = stream.reader.Read(1) != 0;
        const uint32_t target = stream.reader.Read(8);
        sentry.target = hasTarget ? static_cast<int>(target) : -1;
    } else {
        const bool hasTarget = sentry.target >= 0;
        stream.writer.Write(hasTarget ? 1u : 0u, 1);
        stream.writer.Write(hasTarget ? static_cast<uint32_t>(sentry.target) : 0u, 8);
    }
    return true;
}

template <class S, class M>
bool SerializeSentryStates(S& stream, M& m)
{
    return SerializeList(stream, m.sentries, 5, kMaxSentriesPerMessage,
                         [](auto& s, auto& sentry) { return SerializeSentry(s, sentry); });
}

template <class S, class Shot>
bool SerializeShotRecord(S& stream, Shot& shot)
{
    uint32_t pellets = static_cast<uint32_t>(shot.pelletEnds.size() > 63 ? 63 : shot.pelletEnds.size());
    if constexpr (!S::kReading) {
        if (shot.weapon < 1 || shot.weapon > 9 || shot.pelletEnds.empty() ||
            shot.pelletEnds.size() > kMaxShotPellets || !IsFinite(shot.origin)) {
            return false;
        }
        for (const glm::vec3& end : shot.pelletEnds) {
            if (!IsFinite(end)) {
                return false;
            }
        }
    }
    SerializeBits(stream, shot.weapon, 4);
    SerializeBits(stream, pellets, 6);
    if constexpr (S::kReading) {
        if (shot.weapon < 1 || shot.weapon > 9 || pellets < 1 || pellets > kMaxShotPellets) {
            return false;
        }
        shot.pelletEnds.assign(pellets, glm::vec3(0.0f));
    }
    SerializeVec3(stream, shot.origin);
    for (uint32_t i = 0; i < pellets; ++i) {
        SerializeVec3(stream, shot.pelletEnds[i]);
    }
    if constexpr (S::kReading) {
        if (!IsFinite(shot.origin)) {
            return false;
        }
        for (const glm::vec3& end : shot.pelletEnds) {
            if (!IsFinite(end)) {
                return false;
            }
        }
    }
    return true;
}

template <class S, class M>
bool SerializeShotEvent(S& stream, M& m)
{
    SerializeBits(stream, m.shooter, 8);
    return SerializeShotRecord(stream, m.shot);
}

template <class S, class Entry>
bool SerializeShield(S& stream, Entry& shield)
{
    SerializeBits(stream, shield.id, Shield::kIdBits);
    if (!SerializeSlot(stream, shield.owner)) {
        return false;
    }
    SerializeTeam(stream, shield.team);
    SerializeVec3(stream, shield.position);
    SerializeFloat(stream, shield.yaw);
    SerializeClamped(stream, shield.hitPoints, 10, kMaxWorldObjectHitPoints);
    SerializeFloat(stream, shield.age);
    return true;
}

template <class S, class M>
bool SerializeShieldStates(S& stream, M& m)
{
    return SerializeList(stream, m.shields, 5, kMaxShieldsPerMessage,
                         [](auto& s, auto& shield) { return SerializeShield(s, shield); });
}

template <class S, class M>
bool SerializeHealingField(S& stream, M& m)
{
    SerializeBits(stream, m.id, 16);
    if (!SerializeSlot(stream, m.owner)) {
        return false;
    }
    SerializeTeam(stream, m.team);
    SerializeVec3(stream, m.position);
    return true;
}

}  // namespace

NET_MESSAGE_CODEC(HitEventMessage, SerializeHitEvent)
NET_MESSAGE_CODEC(DropSpawnedMessage, SerializeDropSpawned)
NET_MESSAGE_CODEC(DropTakenMessage, SerializeDropTaken)
NET_MESSAGE_CODEC(ProjectileSpawnedMessage, SerializeProjectileSpawned)
NET_MESSAGE_CODEC(ProjectileDetonatedMessage, SerializeProjectileDetonated)
NET_MESSAGE_CODEC(KillEventMessage, SerializeKillEvent)
NET_MESSAGE_CODEC(SentryStatesMessage, SerializeSentryStates)
NET_MESSAGE_CODEC(ShotEventMessage, SerializeShotEvent)
NET_MESSAGE_CODEC(ShieldStatesMessage, SerializeShieldStates)
NET_MESSAGE_CODEC(HealingFieldMessage, SerializeHealingField)

bool ReadShotRecord(BitReader& reader, ShotRecord& shot)
{
    ReadStream stream(reader);
    return SerializeShotRecord(stream, shot) && !reader.Overflowed();
}

}  // namespace net
