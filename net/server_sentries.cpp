// Sentries on the server: planting one, targeting with line of sight, fire, damage from shots, and
// the room's sentry states.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "net/server.h"
#include "net/world_messages.h"

namespace net {
namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.29577951f;
constexpr float kSentryProbeHeight = 0.4f;
constexpr float kSentryAimHeight = 0.55f;  // of the player height, above the feet
constexpr float kSightRadius = 0.02f;
constexpr uint8_t kSentryShieldHitKind = 1;
constexpr uint8_t kSentryPlayerHitKind = 0;

bool RoomRunning(const Room& room)
{
    return room.inUse && room.started;
}

}  // namespace

uint8_t Server::DeployableTeam(int slot) const
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return kSideNone;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    // Without sides a deployable belongs to its owner alone; no side byte may make it anyone's ally.
    return HasTeams(client.room) ? client.state.team : kSideNone;
}

void Server::PlantSentry(int slot)
{
    const int room = RoomOfPlayer(slot);
    if (room < 0) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    const tune::SentryTuning& sentryTuning = tuning.sentry;
    const PlayerState& state = client.state;
    const CollisionWorld& world = MapOfRoom(room).world;
    const float yaw = state.yaw * kDegreesToRadians;
    const float reach = sentryTuning.placementDistance;
    const glm::vec3 from = state.position + glm::vec3(0.0f, kSentryProbeHeight, 0.0f);
    const glm::vec3 wanted(state.position.x - reach * std::sin(yaw), from.y, state.position.z - reach * std::cos(yaw));
    const SweepHit ahead = world.SweepSphere(from, wanted, sentryTuning.probeRadius);
    const glm::vec3 stand = ahead.hit ? ahead.point : wanted;
    // The probe starts lower than its own radius above the feet, so on level ground it already
    // rests in the floor and a sweep from there meets nothing; the drop search starts one radius
    // higher and reaches as far down as before.
    const glm::vec3 dropFrom = stand + glm::vec3(0.0f, sentryTuning.probeRadius, 0.0f);
    const SweepHit down = world.SweepSphere(
        dropFrom, stand - glm::vec3(0.0f, sentryTuning.dropSearch, 0.0f), sentryTuning.probeRadius);
    if (!down.hit) {
        std::printf("[server] player %d found no floor to plant a sentry on\n", slot);
        return;
    }
    IdList<Sentry>& sentries = roomSentries[static_cast<size_t>(room)];
    const Sentry& sentry =
        SpawnSentry(sentries, static_cast<uint32_t>(slot), DeployableTeam(slot),
                    down.point - glm::vec3(0.0f, sentryTuning.probeRadius, 0.0f), state.yaw, sentryTuning);
    if (sentry.id == 0) {
        sentries.items.pop_back();
        return;
    }
    std::printf("[server] room %u: player %d planted sentry %u facing %.0f deg\n",
                static_cast<unsigned>(rooms[static_cast<size_t>(room)].id), slot, sentry.id,
                static_cast<double>(state.yaw));
    SendSentryStates(room);
}

bool Server::DestroySentry(int room, uint32_t sentryId, int damage, int attacker)
{
    if (room < 0 || room >= kMaxRooms) {
        return false;
    }
    Sentry* sentry = FindById(roomSentries[static_cast<size_t>(room)], sentryId);
    if (sentry == nullptr || sentry->hitPoints == 0) {
        return false;
    }
    if (attacker >= 0 && sentry->owner == static_cast<uint32_t>(attacker)) {
        return false;
    }
    if (tuning.match.friendlyFire == 0 && attacker >= 0 &&
        IsFriendlyDeployable(room, attacker, sentry->team, static_cast<int>(sentry->owner))) {
        return false;
    }
    const int amount = std::clamp(damage, 0, kMaxHitAmount);
    if (amount >= sentry->hitPoints) {
        sentry->hitPoints = 0;
        std::printf("[server] player %d destroyed sentry %u\n", attacker, sentry->id);
        return true;
    }
    sentry->hitPoints = static_cast<uint16_t>(sentry->hitPoints - amount);
    return false;
}

void Server::StepSentries(float dt)
{
    const tune::SentryTuning& sentryTuning = tuning.sentry;
    const bool friendlyFire = tuning.match.friendlyFire != 0;
    const float eyeHeight = sentryTuning.pivotHeight * sentryTuning.modelScale;
    for (int room = 0; room < kMaxRooms; ++room) {
        IdList<Sentry>& sentries = roomSentries[static_cast<size_t>(room)];
        if (!RoomRunning(rooms[static_cast<size_t>(room)])) {
            sentries.items.clear();
            continue;
        }
        if (sentries.items.empty()) {
            continue;
        }
        const CollisionWorld& world = MapOfRoom(room).world;
        for (size_t i = 0; i < sentries.items.size();) {
            Sentry& sentry = sentries.items[i];
            if (sentry.fireCooldown > 0.0f) {
                sentry.fireCooldown -= dt;
            }
            sentry.age += dt;
            if (sentry.hitPoints == 0 || sentry.age >= sentryTuning.lifetime) {
                std::printf("[server] sentry %u is gone (%s)\n", sentry.id,
                            sentry.hitPoints == 0 ? "destroyed" : "expired");
                RemoveById(sentries, sentry.id);
                continue;
            }
            ++i;
            const int owner = static_cast<int>(sentry.owner);
            const glm::vec3 eye = sentry.position + glm::vec3(0.0f, eyeHeight, 0.0f);
            int target = -1;
            float nearest = 0.0f;
            glm::vec3 aimPoint(0.0f);
            for (size_t s = 0; s < slots.size(); ++s) {
                const ClientSlot& other = slots[s];
                const int candidate = static_cast<int>(s);
                const PlayerState& state = other.state;
                if (!other.inUse || other.room != room || candidate == owner || state.respawnTicks != 0 ||
                    state.health == 0 || state.spawnProtectionTicks != 0) {
                    continue;
                }
                if (!friendlyFire && IsFriendlyDeployable(room, candidate, sentry.team, owner)) {
                    continue;
                }
                const glm::vec3 point = state.position + glm::vec3(0.0f, kSentryAimHeight * state.height, 0.0f);
                const float distance = glm::length(point - eye);
                if (distance > sentryTuning.targetRange || (target >= 0 && distance >= nearest)) {
                    continue;
                }
                if (world.SweepSphere(eye, point, kSightRadius).hit) {
                    continue;
                }
                target = candidate;
                nearest = distance;
                aimPoint = point;
            }
            sentry.target = target;
            if (target < 0) {
                continue;
            }
            SentryTurnToward(sentry, aimPoint, dt, sentryTuning);
            const glm::vec3 toTarget = aimPoint - eye;
            const float length = glm::length(toTarget);
            const float cosine =
                length > 0.0001f ? std::clamp(glm::dot(SentryAimDirection(sentry), toTarget / length), -1.0f, 1.0f) : 1.0f;
            if (std::acos(cosine) * kRadiansToDegrees > sentryTuning.aimTolerance || sentry.fireCooldown > 0.0f) {
                continue;
            }
            ++sentry.shotCount;
            sentry.fireCooldown = 60.0f / std::max(1.0f, sentryTuning.rateOfFire);
            const double scaled = std::trunc(static_cast<double>(DamageScale(owner)) *
                                                 static_cast<double>(sentryTuning.damagePerShot) +
                                             0.5);
            const int damage = static_cast<int>(std::clamp(scaled, 0.0, static_cast<double>(kMaxHitAmount)));
            const glm::vec3 muzzle = SentryMuzzle(sentry, sentryTuning);
            const uint8_t shooterTeam = HasTeams(room) ? sentry.team : kSideNone;
            glm::vec3 shieldPoint(0.0f);
            const uint32_t shieldId = TraceShields(roomShields[static_cast<size_t>(room)], shooterTeam, sentry.owner,
                                                   muzzle, aimPoint, tuning.shield, &shieldPoint);
            HitEventMessage hit;
            hit.attacker = owner;
            hit.amount = damage;
            if (shieldId != 0) {
                hit.lethal = BreakShield(room, shieldId, damage, owner);
                hit.victim = static_cast<uint8_t>(owner);
                hit.kind = kSentryShieldHitKind;
                hit.position = shieldPoint;
            } else {
                PlayerState& victim = slots[static_cast<size_t>(target)].state;
                hit.victim = static_cast<uint8_t>(target);
                hit.kind = kSentryPlayerHitKind;
                hit.position = aimPoint;
                if (damage > 0) {
                    RecordDamageCredit(target, owner, now);
                    if (damage >= victim.health) {
                        hit.lethal = true;
                        KillPlayer(target, now, owner);
                    } else {
                        victim.health = static_cast<uint16_t>(victim.health - damage);
                    }
                }
            }
            if (owner >= 0 && static_cast<size_t>(owner) < slots.size()) {
                SendToRoom(room, hit);
            }
        }
    }
}

void Server::SendSentryStates(int room)
{
    if (room < 0 || room >= kMaxRooms || !RoomRunning(rooms[static_cast<size_t>(room)])) {
        return;
    }
    if (!DeployableStatesDue(lastSentryStates[static_cast<size_t>(room)])) {
        return;
    }
    SentryStatesMessage message;
    for (const Sentry& sentry : roomSentries[static_cast<size_t>(room)].items) {
        if (message.sentries.size() >= kMaxSentriesPerMessage) {
            break;
        }
        SentryStateEntry entry;
        entry.id = sentry.id;
        entry.owner = static_cast<int>(sentry.owner);
        entry.team = sentry.team;
        entry.position = sentry.position;
        entry.baseYaw = sentry.baseYaw;
        entry.yaw = sentry.yaw;
        entry.pitch = sentry.pitch;
        entry.hitPoints = sentry.hitPoints;
        entry.shotsFired = sentry.shotCount;
        entry.target = sentry.target;
        message.sentries.push_back(entry);
    }
    SendToRoom(room, message);
}

void Server::SendSentryStates()
{
    for (int room = 0; room < kMaxRooms; ++room) {
        SendSentryStates(room);
    }
}

}  // namespace net
