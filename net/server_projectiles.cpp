// Rockets and grenades on the server: aiming from the shoulder view, launching and throwing,
// stepping each room's list and the explosion's damage.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include <glm/geometric.hpp>

#include "game/shot_geometry.h"
#include "net/server.h"
#include "net/world_messages.h"

namespace net {
namespace {

constexpr uint8_t kRocketKind = 0;
constexpr uint8_t kGrenadeKind = 1;
constexpr uint8_t kExplosionHitKind = 1;
constexpr float kLaunchBelowHead = 0.15f;
constexpr float kProximityMargin = 0.5f;

bool RunningRoom(const std::array<Room, kMaxRooms>& rooms, int room)
{
    return room >= 0 && room < kMaxRooms && rooms[static_cast<size_t>(room)].inUse &&
           rooms[static_cast<size_t>(room)].started;
}

bool LivePlayer(const ClientSlot& client, int room)
{
    return client.inUse && client.room == room && client.state.respawnTicks == 0 && client.state.health > 0;
}

}  // namespace

glm::vec3 TraceAimTarget(const CollisionWorld& world, const glm::vec3& start, const glm::vec3& direction,
                         float traceLength, float minimumDistance)
{
    const SweepHit hit = world.SweepSphere(start, start + direction * traceLength, 0.0f);
    if (!hit.hit) {
        return start + direction * traceLength;
    }
    // A wall right in front of the shoulder would turn the shot sideways; aim past it instead.
    if (glm::length(hit.point - start) < minimumDistance) {
        return start + direction * minimumDistance;
    }
    return hit.point;
}

glm::vec3 DirectionToward(const glm::vec3& from, const glm::vec3& to, const glm::vec3& fallback)
{
    const glm::vec3 delta = to - from;
    const float length = glm::length(delta);
    if (!(length >= 0.0001f)) {
        return fallback;
    }
    return delta / length;
}

glm::vec3 Server::AimTarget(int slot, const glm::vec3& aim)
{
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    const tune::CameraTuning& camera = tuning.camera;
    glm::vec3 start = client.state.position + glm::vec3(0.0f, camera.viewPivotHeight + camera.viewPivotLowHeight, 0.0f);
    const float flat = std::sqrt(aim.x * aim.x + aim.z * aim.z);
    if (flat > 0.0f) {
        start += glm::vec3(-aim.z, 0.0f, aim.x) / flat * camera.hipShoulderOffset;
    }
    return TraceAimTarget(MapOfRoom(client.room).world, start, aim, camera.cameraFarLimit,
                          camera.cameraStartDistance);
}

namespace {

struct Launch {
    glm::vec3 point{0.0f};
    glm::vec3 direction{0.0f};
};

}  // namespace

static Launch LaunchOf(Server& server, int slot)
{
    const PlayerState& state = server.slots[static_cast<size_t>(slot)].state;
    const glm::vec3 aim = AimDirection(state);
    Launch launch;
    launch.point = state.position + glm::vec3(0.0f, state.height - kLaunchBelowHead, 0.0f);
    launch.direction = DirectionToward(launch.point, server.AimTarget(slot, aim), aim);
    return launch;
}

static bool InRoom(const Server& server, int slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= server.slots.size()) {
        return false;
    }
    const ClientSlot& client = server.slots[static_cast<size_t>(slot)];
    return client.inUse && client.room >= 0 && client.room < kMaxRooms &&
           server.rooms[static_cast<size_t>(client.room)].inUse;
}

void Server::LaunchRocket(int slot)
{
    if (!InRoom(*this, slot)) {
        return;
    }
    const int room = slots[static_cast<size_t>(slot)].room;
    const tune::RocketTuning& rocket = tuning.match.rocket;
    const Launch launch = LaunchOf(*this, slot);
    const Projectile& spawned =
        SpawnProjectile(roomProjectiles[static_cast<size_t>(room)], static_cast<uint32_t>(slot), launch.point,
                        launch.direction * rocket.speed, kRocketKind, rocket.gravity, rocket.radius, rocket.fuseTime);
    std::printf("[server] room %u: player %d launched rocket %u\n", static_cast<unsigned>(room), slot, spawned.id);
    ProjectileSpawnedMessage message;
    message.id = spawned.id;
    message.kind = spawned.kind;
    message.owner = slot;
    message.position = spawned.position;
    message.velocity = spawned.velocity;
    SendToRoom(room, message);
}

void Server::ThrowGrenade(int slot)
{
    if (!InRoom(*this, slot)) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    const int room = client.room;
    const tune::GrenadeTuning& grenade = tuning.grenade;
    const Launch launch = LaunchOf(*this, slot);
    if (client.state.cookedOff != 0) {
        // Held to the full cook time, it goes off in the hand; the record never joins the list.
        Projectile held;
        // It still takes an id of the list, so that the detonation names a real projectile.
        held.id = TakeNextId(roomProjectiles[static_cast<size_t>(room)]);
        held.owner = static_cast<uint32_t>(slot);
        held.position = launch.point;
        held.kind = kGrenadeKind;
        std::printf("[server] room %u: player %d cooked a grenade\n", static_cast<unsigned>(room), slot);
        DetonateProjectile(room, held, -1);
        return;
    }
    const float cook = static_cast<float>(client.state.cookFraction) / 255.0f;
    const float speed = grenade.throwSpeedMin + (grenade.throwSpeedMax - grenade.throwSpeedMin) * cook;
    glm::vec3 direction = launch.direction;
    direction.y += grenade.throwLift;
    direction = DirectionToward(glm::vec3(0.0f), direction, launch.direction);
    IdList<Projectile>& list = roomProjectiles[static_cast<size_t>(room)];
    SpawnProjectile(list, static_cast<uint32_t>(slot), launch.point, direction * speed + client.state.velocity,
                    kGrenadeKind, grenade.gravity, grenade.radius, grenade.fuseTime);
    SetProjectileBounce(list, grenade.restitution, grenade.bounceFriction, grenade.restSpeed);
    const Projectile& spawned = list.items.back();
    std::printf("[server] room %u: player %d threw grenade %u at %.0f%% (%.1f m/s)\n", static_cast<unsigned>(room),
                slot, spawned.id, static_cast<double>(cook * 100.0f), static_cast<double>(speed));
    ProjectileSpawnedMessage message;
    message.id = spawned.id;
    message.kind = spawned.kind;
    message.owner = slot;
    message.position = spawned.position;
    message.velocity = spawned.velocity;
    SendToRoom(room, message);
}

void Server::StepProjectiles(float dt)
{
    const float reach = tuning.match.rocket.proximityDistance + kProximityMargin;
    const float centre = tuning.movement.standingHeight * 0.5f;
    std::vector<Projectile> detonated;
    std::vector<std::pair<Projectile, int>> exploding;
    for (int room = 0; room < kMaxRooms; ++room) {
        IdList<Projectile>& projectiles = roomProjectiles[static_cast<size_t>(room)];
        if (!RunningRoom(rooms, room)) {
            projectiles.items.clear();
            continue;
        }
        if (projectiles.items.empty()) {
            continue;
        }
        detonated.clear();
        exploding.clear();
        AdvanceProjectiles(projectiles, dt, MapOfRoom(room).world, detonated);
        for (const Projectile& projectile : detonated) {
            exploding.emplace_back(projectile, -1);
        }
        for (const Projectile& projectile : projectiles.items) {
            if (projectile.kind == kGrenadeKind) {
                continue;
            }
            for (size_t s = 0; s < slots.size(); ++s) {
                const ClientSlot& other = slots[s];
                if (!LivePlayer(other, room) || s == projectile.owner || other.state.spawnProtectionTicks != 0) {
                    continue;
                }
                const glm::vec3 point = other.state.position + glm::vec3(0.0f, centre, 0.0f);
                if (glm::length(point - projectile.position) <= reach) {
                    exploding.emplace_back(projectile, static_cast<int>(s));
                    break;
                }
            }
        }
        for (const auto& [projectile, direct] : exploding) {
            RemoveProjectile(projectiles, projectile.id);
        }
        for (const auto& [projectile, direct] : exploding) {
            DetonateProjectile(room, projectile, direct);
        }
    }
}

void Server::DetonateProjectile(int room, const Projectile& projectile, int direct)
{
    if (room < 0 || room >= kMaxRooms) {
        return;
    }
    std::printf("[server] rocket %u detonated at %.1f %.1f %.1f\n", projectile.id,
                static_cast<double>(projectile.position.x), static_cast<double>(projectile.position.y),
                static_cast<double>(projectile.position.z));
    ProjectileDetonatedMessage detonated;
    detonated.id = projectile.id;
    detonated.position = projectile.position;
    SendToRoom(room, detonated);

    const tune::RocketTuning& rocket = tuning.match.rocket;
    const int owner = static_cast<size_t>(projectile.owner) < slots.size() ? static_cast<int>(projectile.owner) : -1;
    const float scale = DamageScale(owner);
    DamageShieldsInRadius(room, DeployableTeam(owner), projectile.position, rocket.explosionRadius,
                          scale * rocket.explosionDamage, owner);

    const bool friendlyFire = tuning.match.friendlyFire != 0;
    const float centre = tuning.movement.standingHeight * 0.5f;
    for (size_t s = 0; s < slots.size(); ++s) {
        ClientSlot& other = slots[s];
        const int victim = static_cast<int>(s);
        if (!LivePlayer(other, room) || other.state.spawnProtectionTicks != 0 || victim == owner) {
            continue;
        }
        if (!friendlyFire && owner >= 0 && SameTeam(owner, victim)) {
            continue;
        }
        const glm::vec3 point = other.state.position + glm::vec3(0.0f, centre, 0.0f);
        const float distance = glm::length(point - projectile.position);
        if (!(distance <= rocket.explosionRadius)) {
            continue;
        }
        const float near = 1.0f - distance / rocket.explosionRadius;
        const float falloff = victim == direct ? 1.0f : near * near;
        const double raw = std::trunc(static_cast<double>(scale * rocket.explosionDamage *
                                                          (rocket.minFalloff + (1.0f - rocket.minFalloff) * falloff)) +
                                      0.5);
        const int damage = static_cast<int>(std::clamp(raw, 0.0, static_cast<double>(kMaxHitAmount)));
        if (damage <= 0) {
            continue;
        }
        RecordDamageCredit(victim, owner, now);
        const bool lethal = damage >= other.state.health;
        if (lethal) {
            KillPlayer(victim, now, owner);
        } else {
            other.state.health = static_cast<uint16_t>(other.state.health - damage);
        }
        // A hit event names an attacker slot; an ownerless blast has none to name.
        if (owner >= 0) {
            HitEventMessage hit;
            hit.attacker = owner;
            hit.victim = static_cast<uint8_t>(victim);
            hit.kind = kExplosionHitKind;
            hit.amount = damage;
            hit.lethal = lethal;
            hit.position = point;
            SendToRoom(room, hit);
        }
    }
}

}  // namespace net
