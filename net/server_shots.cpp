// Shot resolution in two halves: the trace on a worker thread, which finds what each pellet met at
// the tick the shooter saw and writes only the shooter's record, and the resolution on the tick
// thread, which turns those findings into damage, kills and the messages the room receives.
#include <algorithm>
#include <bit>
#include <cmath>

#include "game/damage.h"
#include "game/shot_geometry.h"
#include "net/server.h"
#include "net/world_messages.h"

namespace net {
namespace {

// The tracer leaves the weapon a little below the top of the head.
constexpr float kMuzzleBelowTop = 0.15f;
// A line-of-sight block this close to the end point is the thing that was hit, not a wall before it.
constexpr float kSightSlack = 0.01f;

bool IsRoomIndex(int room)
{
    return room >= 0 && room < kMaxRooms;
}

bool IsAlive(const PlayerState& state)
{
    return state.respawnTicks == 0 && state.health > 0;
}

float Distance(const glm::vec3& a, const glm::vec3& b)
{
    const glm::vec3 d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

bool IsFinite(const glm::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void WriteVec3(BitWriter& writer, const glm::vec3& v)
{
    writer.Write(std::bit_cast<uint32_t>(v.x), 32);
    writer.Write(std::bit_cast<uint32_t>(v.y), 32);
    writer.Write(std::bit_cast<uint32_t>(v.z), 32);
}

}  // namespace

void InitHitList(HitList& list, int capacity)
{
    list.capacity = std::clamp(capacity, 0, kHitListCapacity);
    list.count = 0;
    for (HitEntry& entry : list.entries) {
        entry = HitEntry{};
    }
}

void AddHit(HitList& list, int victim, int kind, int damage, bool killed, const glm::vec3& position)
{
    for (int i = 0; i < list.count; ++i) {
        HitEntry& entry = list.entries[static_cast<size_t>(i)];
        if (entry.victim != victim || !(entry.kind < kHitKindSentry || entry.kind == kind)) {
            continue;
        }
        entry.damage = std::min(entry.damage + damage, kMaxHitAmount);
        entry.killed = static_cast<uint8_t>(entry.killed | (killed ? 1 : 0));
        entry.position = position;
        if (kind == kRegionHead) {
            entry.kind = kRegionHead;  // one head hit makes the whole volley a head hit
        }
        return;
    }
    if (list.count >= list.capacity) {
        return;
    }
    HitEntry& entry = list.entries[static_cast<size_t>(list.count)];
    entry.victim = victim;
    entry.kind = kind;
    entry.damage = std::min(damage, kMaxHitAmount);
    entry.killed = killed ? 1 : 0;
    entry.position = position;
    list.count += 1;
}

bool WriteShotRecord(BitWriter& writer, const ShotTrace& record)
{
    if (record.weapon < 1 || record.weapon > 9 || record.pelletCount < 1 ||
        record.pelletCount > kMaxShotPelletCount || !IsFinite(record.tracerOrigin)) {
        return false;
    }
    for (int k = 0; k < record.pelletCount; ++k) {
        if (!IsFinite(record.pellets[static_cast<size_t>(k)].end)) {
            return false;
        }
    }
    writer.Write(record.weapon, 4);
    writer.Write(record.pelletCount, 6);
    WriteVec3(writer, record.tracerOrigin);
    for (int k = 0; k < record.pelletCount; ++k) {
        WriteVec3(writer, record.pellets[static_cast<size_t>(k)].end);
    }
    return !writer.Overflowed();
}

void Server::TraceShot(int shooter, ShotTrace& record)
{
    record = ShotTrace{};
    if (shooter < 0 || static_cast<size_t>(shooter) >= slots.size()) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(shooter)];
    if (!client.inUse || !IsRoomIndex(client.room)) {
        return;
    }
    const Room& room = rooms[static_cast<size_t>(client.room)];
    if (!room.inUse || !room.started || room.winningSide != kSideNone || !IsAlive(client.state)) {
        return;
    }
    const PlayerState& state = client.state;
    const uint8_t row = StateWeaponRow(state);
    const tune::WeaponTuning& weapon = tuning.Weapon(row);
    if (row == kWeaponNone || weapon.notTraced) {
        return;
    }

    // The tick the shooter saw: his claim when it agrees with what his latency suggests.
    const int tickRate = std::max(tuning.loop.tickRate, 1);
    const double delay = std::max(client.smallestRoundTrip, 0.0) * 0.5 +
                         static_cast<double>(tuning.network.interpolationDelayMs) * 0.001 +
                         static_cast<double>(std::max(client.queueCount, 0)) / static_cast<double>(tickRate);
    const uint32_t rewindTick = ChooseRewindTick(tick, client.lastCommand.claimedViewTick, tickRate,
                                                 tuning.network.maxRewind, static_cast<float>(delay),
                                                 tuning.network.rewindTolerance);

    const CollisionWorld& world = MapOfRoom(client.room).world;
    const glm::vec3 origin = ViewOrigin(state, tuning, world);
    const glm::vec3 aim = AimDirection(state);
    const glm::vec3 muzzle = state.position + glm::vec3(0.0f, state.height - kMuzzleBelowTop, 0.0f);

    record.shooter = shooter;
    record.room = client.room;
    record.rewindTick = rewindTick;
    record.muzzle = muzzle;
    record.weapon = row;
    record.tracerOrigin = muzzle;
    record.pelletCount = static_cast<uint8_t>(std::clamp(weapon.pellets, 1, kMaxShotPelletCount));

    const bool friendlyFire = tuning.match.friendlyFire != 0;
    const size_t ringIndex = rewindTick % kPosedRingLength;
    for (int k = 0; k < record.pelletCount; ++k) {
        PelletHit& hit = record.pellets[static_cast<size_t>(k)];
        const glm::vec3 direction = ApplyShotSpread(aim, state.shotsFired, static_cast<uint32_t>(k), weapon);
        float reach = weapon.range;

        // The world first: nothing behind a wall is hit.
        if (reach > 0.0f) {
            const SweepHit wall = world.SweepSphere(origin, origin + direction * reach, 0.0f);
            if (wall.hit) {
                reach = wall.fraction * reach;
            }
        }

        // The other players as they stood at the rewind tick.
        for (size_t other = 0; other < slots.size(); ++other) {
            const ClientSlot& target = slots[other];
            if (static_cast<int>(other) == shooter || !target.inUse || target.room != client.room ||
                !IsAlive(target.state) || target.state.spawnProtectionTicks != 0) {
                continue;
            }
            if (!friendlyFire && SameTeam(shooter, static_cast<int>(other))) {
                continue;
            }
            const PosedRingEntry& entry = target.posedRing[ringIndex];
            if (entry.tick != rewindTick || entry.isProtected) {
                continue;  // not posed at that tick (joined or respawned since): not hittable there
            }
            const PosedVolumeHit body = RaycastPosedVolumes(entry.volumes, origin, direction, reach);
            if (body.hit && body.distance < reach) {
                reach = body.distance;
                hit.slot = static_cast<int32_t>(other);
                hit.zone = body.region;
            }
        }

        // The room's sentries, as axis-aligned boxes on their foot points; with friendly fire on
        // every sentry stands in the way.
        const tune::SentryTuning& sentryTuning = tuning.sentry;
        for (const Sentry& sentry : roomSentries[static_cast<size_t>(client.room)].items) {
            if (sentry.hitPoints == 0 ||
                (!friendlyFire &&
                 IsFriendlyDeployable(client.room, shooter, sentry.team, static_cast<int>(sentry.owner)))) {
                continue;
            }
            const glm::vec3 boxMin = sentry.position - glm::vec3(sentryTuning.probeRadius, 0.0f, sentryTuning.probeRadius);
            const glm::vec3 boxMax =
                sentry.position + glm::vec3(sentryTuning.probeRadius, sentryTuning.height, sentryTuning.probeRadius);
            float distance = reach;
            if (IntersectRayBox(origin, direction, boxMin, boxMax, distance) && distance < reach) {
                reach = distance;
                hit.sentryId = sentry.id;
                hit.slot = -1;
                hit.zone = kRegionTorso;
            }
        }
        // Shields stop the shots of everyone they are not friendly to, whatever friendly fire says.
        for (const Shield& shield : roomShields[static_cast<size_t>(client.room)].items) {
            if (shield.hitPoints == 0 ||
                IsFriendlyDeployable(client.room, shooter, shield.team, static_cast<int>(shield.owner))) {
                continue;
            }
            const ShieldTrace wall = TraceShield(shield, tuning.shield, origin, direction, reach);
            if (wall.hit && wall.distance < reach) {
                reach = wall.distance;
                hit.shieldId = shield.id;
                hit.sentryId = 0;
                hit.slot = -1;
                hit.zone = kRegionTorso;
            }
        }

        glm::vec3 end = origin + direction * reach;
        // The view sits behind and beside the weapon, so the weapon itself must see the end point:
        // a wall between the muzzle and the target stops the pellet at the wall.
        const float lineLength = Distance(end, muzzle);
        if (lineLength > 0.0f) {
            const SweepHit sight = world.SweepSphere(muzzle, end, 0.0f);
            if (sight.hit && sight.fraction * lineLength + kSightSlack < lineLength) {
                end = muzzle + (end - muzzle) * sight.fraction;
                hit.slot = -1;
                hit.zone = kRegionTorso;
                hit.sentryId = 0;
                hit.shieldId = 0;
            } else if (hit.shieldId == 0) {
                // A shield between the weapon and the end point, missed by the view's ray, still
                // takes the shot.
                const uint8_t shooterTeam = HasTeams(client.room) ? state.team : kSideNone;
                glm::vec3 wallPoint(0.0f);
                const uint32_t wallId = TraceShields(roomShields[static_cast<size_t>(client.room)], shooterTeam,
                                                     static_cast<uint32_t>(shooter), muzzle, end, tuning.shield,
                                                     &wallPoint);
                if (wallId != 0) {
                    end = wallPoint;
                    hit.shieldId = wallId;
                    hit.sentryId = 0;
                    hit.slot = -1;
                    hit.zone = kRegionTorso;
                }
            }
        }
        hit.end = end;
    }
    record.valid = 1;
}

void Server::ResolveShot(const ShotTrace& record)
{
    if (!record.valid || record.shooter < 0 || static_cast<size_t>(record.shooter) >= slots.size()) {
        return;
    }
    const int shooter = record.shooter;
    ClientSlot& client = slots[static_cast<size_t>(shooter)];
    if (!client.inUse || client.room != record.room || !IsRoomIndex(record.room) || !IsAlive(client.state)) {
        return;
    }
    const int room = record.room;
    const tune::WeaponTuning& weapon = tuning.Weapon(StateWeaponRow(client.state));
    const float scale = DamageScale(shooter);

    HitList hits;
    InitHitList(hits, kHitListCapacity);
    const int pelletCount = std::clamp(static_cast<int>(record.pelletCount), 0, kMaxShotPelletCount);
    for (int k = 0; k < pelletCount; ++k) {
        const PelletHit& pellet = record.pellets[static_cast<size_t>(k)];
        if (pellet.slot < 0) {
            if (pellet.shieldId == 0 && pellet.sentryId == 0) {
                continue;
            }
            const int damage = std::clamp(ComputeDamage(weapon, Distance(record.muzzle, pellet.end), 1.0f,
                                                        client.state.shotCharge, 1.0f, scale),
                                          0, kMaxHitAmount);
            if (damage > 0) {
                const bool shield = pellet.shieldId != 0;
                const bool broken = shield ? BreakShield(room, pellet.shieldId, damage, shooter)
                                           : DestroySentry(room, pellet.sentryId, damage, shooter);
                AddHit(hits, shooter, shield ? kHitKindShield : kHitKindSentry, damage, broken, pellet.end);
            }
            continue;
        }
        if (static_cast<size_t>(pellet.slot) >= slots.size()) {
            continue;
        }
        ClientSlot& victim = slots[static_cast<size_t>(pellet.slot)];
        // An earlier shooter (or pellet) of this tick may have killed him already.
        if (!victim.inUse || victim.room != room || !IsAlive(victim.state) || victim.state.spawnProtectionTicks != 0) {
            continue;
        }
        DamageRampRecord ramp{client.rampVictim, client.rampSeconds, client.rampLastHit};
        const float rampScale = DamageRamp(ramp, pellet.slot, now, weapon);
        client.rampVictim = ramp.lastVictim;
        client.rampSeconds = ramp.accumulated;
        client.rampLastHit = ramp.lastHitTime;
        const int damage = std::clamp(ComputeDamage(weapon, Distance(record.muzzle, pellet.end),
                                                    ZoneMultiplier(weapon, pellet.zone), client.state.shotCharge,
                                                    rampScale, scale),
                                      0, kMaxHitAmount);
        if (damage < 1) {
            continue;
        }
        RecordDamageCredit(pellet.slot, shooter, now);
        bool killed = false;
        if (damage >= static_cast<int>(victim.state.health)) {
            KillPlayer(pellet.slot, now, shooter);
            killed = true;
        } else {
            victim.state.health = static_cast<uint16_t>(victim.state.health - damage);
        }
        AddHit(hits, pellet.slot, pellet.zone, damage, killed, pellet.end);
    }

    for (int i = 0; i < hits.count; ++i) {
        const HitEntry& entry = hits.entries[static_cast<size_t>(i)];
        HitEventMessage message;
        message.attacker = shooter;
        message.victim = static_cast<uint8_t>(entry.victim);
        message.kind = static_cast<uint8_t>(entry.kind);
        message.amount = entry.damage;
        message.lethal = entry.killed != 0;
        message.position = entry.position;
        SendToRoom(room, message);
    }

    // One shot event for the room to draw the tracers; the shooter drew his own. A record that is
    // not sendable (a non-finite end point) still did its damage above.
    MessageBuffer<ShotEventMessage> words{};
    BitWriter writer(words.data(), static_cast<int>(words.size()));
    WriteHeader(writer, MessageType::ShotEvent);
    writer.Write(static_cast<uint32_t>(shooter), 8);
    if (!WriteShotRecord(writer, record)) {
        return;
    }
    writer.Flush();
    if (writer.Overflowed()) {
        return;
    }
    const int length = writer.ByteLength();
    for (size_t i = 0; i < slots.size(); ++i) {
        const ClientSlot& member = slots[i];
        // Bots have no address and receive nothing.
        if (static_cast<int>(i) == shooter || !member.inUse || member.bot || member.room != room) {
            continue;
        }
        SendDatagram(member.address, words.data(), length);
    }
}

}  // namespace net
