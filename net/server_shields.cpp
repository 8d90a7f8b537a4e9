// Shields on the server: putting one up, damage from shots, sentries, flames and explosions, their
// ageing, and the room's shield states.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "net/server.h"
#include "net/world_messages.h"

namespace net {
namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kShieldProbeRadius = 0.3f;
constexpr float kShieldProbeHeight = 0.6f;
constexpr float kShieldFloorProbeRadius = 0.1f;
constexpr float kShieldFloorSearch = 2.5f;
constexpr uint8_t kDeployableHitKind = 1;

bool RoomRunning(const Room& room)
{
    return room.inUse && room.started;
}

}  // namespace

void Server::PutUpShield(int slot)
{
    const int room = RoomOfPlayer(slot);
    if (room < 0) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    IdList<Shield>& shields = roomShields[static_cast<size_t>(room)];
    if (static_cast<int>(shields.items.size()) >= kMaxShieldsPerRoom) {
        return;
    }
    const PlayerState& state = client.state;
    const CollisionWorld& world = MapOfRoom(room).world;
    const float yaw = state.yaw * kDegreesToRadians;
    const float reach = tuning.shield.placementDistance;
    const glm::vec3 from = state.position + glm::vec3(0.0f, kShieldProbeHeight, 0.0f);
    const glm::vec3 wanted(state.position.x - reach * std::sin(yaw), from.y, state.position.z - reach * std::cos(yaw));
    const SweepHit ahead = world.SweepSphere(from, wanted, kShieldProbeRadius);
    const glm::vec3 stand = ahead.hit ? ahead.point : wanted;
    const SweepHit down =
        world.SweepSphere(stand, stand - glm::vec3(0.0f, kShieldFloorSearch, 0.0f), kShieldFloorProbeRadius);
    const float floor = down.hit ? down.point.y - kShieldFloorProbeRadius : state.position.y;
    const Shield& shield = SpawnShield(shields, static_cast<uint32_t>(slot), DeployableTeam(slot),
                                       glm::vec3(stand.x, floor, stand.z), state.yaw, tuning.shield);
    if (shield.id == 0) {
        shields.items.pop_back();
        return;
    }
    std::printf("[server] room %u: player %d put up shield %u facing %.0f deg\n",
                static_cast<unsigned>(rooms[static_cast<size_t>(room)].id), slot, shield.id,
                static_cast<double>(state.yaw));
    SendShieldStates(room);
}

bool Server::BreakShield(int room, uint32_t shieldId, int damage, int attacker)
{
    if (room < 0 || room >= kMaxRooms) {
        return false;
    }
    Shield* shield = FindById(roomShields[static_cast<size_t>(room)], shieldId);
    if (shield == nullptr || shield->hitPoints == 0) {
        return false;
    }
    // Its owner and, in a room with sides, its side never hurt it, whatever the friendly-fire setting.
    if (attacker >= 0 && IsFriendlyDeployable(room, attacker, shield->team, static_cast<int>(shield->owner))) {
        return false;
    }
    const int amount = std::clamp(damage, 0, kMaxHitAmount);
    if (amount >= shield->hitPoints) {
        shield->hitPoints = 0;
        std::printf("[server] shield %u broken by player %d\n", shield->id, attacker);
        return true;
    }
    shield->hitPoints = static_cast<uint16_t>(shield->hitPoints - amount);
    return false;
}

void Server::DamageShieldsInRadius(int room, uint8_t exemptTeam, const glm::vec3& centre, float radius,
                                   float maximumDamage, int attacker)
{
    if (room < 0 || room >= kMaxRooms || !(radius > 0.0f) || !(maximumDamage > 0.0f)) {
        return;
    }
    const bool teams = HasTeams(room);
    bool anyHit = false;
    IdList<Shield>& shields = roomShields[static_cast<size_t>(room)];
    for (size_t i = 0; i < shields.items.size(); ++i) {
        const Shield& shield = shields.items[i];
        // Without sides the exempt team protects nobody but the attacker's own shields.
        const bool exempt = (teams && exemptTeam != kSideNone && shield.team == exemptTeam) ||
                            (attacker >= 0 && shield.owner == static_cast<uint32_t>(attacker));
        if (shield.hitPoints == 0 || exempt) {
            continue;
        }
        const glm::vec3 nearest = ClosestPointOnShield(shield, tuning.shield, centre);
        const float distance = glm::length(nearest - centre);
        if (!(distance <= radius)) {
            continue;
        }
        const double scaled =
            std::trunc(static_cast<double>(maximumDamage) - static_cast<double>(distance) * maximumDamage / radius + 0.5);
        const int damage = static_cast<int>(std::clamp(scaled, 0.0, static_cast<double>(kMaxHitAmount)));
        if (damage <= 0) {
            continue;
        }
        const uint32_t id = shield.id;
        const bool broken = BreakShield(room, id, damage, attacker);
        anyHit = true;
        if (attacker >= 0 && static_cast<size_t>(attacker) < slots.size()) {
            HitEventMessage hit;
            hit.attacker = attacker;
            hit.victim = static_cast<uint8_t>(attacker);
            hit.kind = kDeployableHitKind;
            hit.amount = damage;
            hit.lethal = broken;
            hit.position = nearest;
            SendToRoom(room, hit);
        }
    }
    if (anyHit) {
        SendShieldStates(room);
    }
}

void Server::StepShields(float dt)
{
    for (int room = 0; room < kMaxRooms; ++room) {
        IdList<Shield>& shields = roomShields[static_cast<size_t>(room)];
        if (!RoomRunning(rooms[static_cast<size_t>(room)])) {
            shields.items.clear();
            continue;
        }
        for (size_t i = 0; i < shields.items.size();) {
            Shield& shield = shields.items[i];
            shield.age += dt;
            if (shield.hitPoints == 0 || shield.age >= tuning.shield.lifetime) {
                std::printf("[server] shield %u is gone (%s)\n", shield.id,
                            shield.hitPoints == 0 ? "broken" : "expired");
                RemoveById(shields, shield.id);
                continue;
            }
            ++i;
        }
    }
}

bool Server::DeployableStatesDue(double& last) const
{
    if (last >= 0.0 && now >= last && now - last < kDeployableStatesInterval) {
        return false;
    }
    last = now;
    return true;
}

void Server::SendShieldStates(int room)
{
    if (room < 0 || room >= kMaxRooms || !RoomRunning(rooms[static_cast<size_t>(room)])) {
        return;
    }
    if (!DeployableStatesDue(lastShieldStates[static_cast<size_t>(room)])) {
        return;
    }
    ShieldStatesMessage message;
    for (const Shield& shield : roomShields[static_cast<size_t>(room)].items) {
        if (message.shields.size() >= kMaxShieldsPerMessage) {
            break;
        }
        ShieldStateEntry entry;
        entry.id = shield.id;
        entry.owner = static_cast<int>(shield.owner);
        entry.team = shield.team;
        entry.position = shield.position;
        entry.yaw = shield.yaw;
        entry.hitPoints = shield.hitPoints;
        entry.age = shield.age;
        message.shields.push_back(entry);
    }
    SendToRoom(room, message);
}

void Server::SendShieldStates()
{
    for (int room = 0; room < kMaxRooms; ++room) {
        SendShieldStates(room);
    }
}

}  // namespace net
