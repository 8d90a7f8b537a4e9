// The flame weapon on the server: particles emitted in a narrow cone, dragged, swept through the
// level, hurting shields and players they touch and setting players alight.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include <glm/geometric.hpp>

#include "game/shot_geometry.h"
#include "net/server.h"
#include "net/world_messages.h"

namespace net {
namespace {

constexpr uint8_t kFlameHitKind = 1;
constexpr float kLaunchBelowHead = 0.15f;
constexpr float kPlayerReach = 0.35f;  // a body's radius beyond the particle's own

uint32_t Xorshift32(uint32_t x)
{
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

float UnitOf(uint32_t bits)
{
    return static_cast<float>(bits & 0xFFFFFFu) * (1.0f / 16777216.0f);
}

}  // namespace

void ShotSpread(std::vector<FlameParticle>& particles, int owner, const glm::vec3& origin, const glm::vec3& direction,
                const tune::FlameTuning& flame, float u1, float u2)
{
    const glm::vec3 n = DirectionToward(glm::vec3(0.0f), direction, glm::vec3(0.0f, 0.0f, -1.0f));
    glm::vec3 u = std::fabs(n.y) > 0.99f ? glm::vec3(0.0f, n.z, -n.y) : glm::vec3(-n.z, 0.0f, n.x);
    u = glm::normalize(u);
    const glm::vec3 w = glm::cross(u, n);
    const float halfAngle = flame.coneHalfAngle * 3.14159265358979f / 180.0f;
    const float t = std::tan(std::sqrt(u1) * halfAngle);
    const float phase = u2 * 2.0f * 3.14159265358979f;
    const glm::vec3 turned = glm::normalize(n + t * (std::cos(phase) * u + std::sin(phase) * w));
    FlameParticle particle;
    particle.owner = owner;
    particle.position = origin;
    particle.velocity = turned * flame.particleSpeed;
    particle.age = 0.0f;
    particles.push_back(particle);
}

float FlameRadius(float age, const tune::FlameTuning& flame)
{
    if (!(flame.particleLifetime > 0.0f)) {
        return flame.endRadius;
    }
    const float t = std::clamp(age / flame.particleLifetime, 0.0f, 1.0f);
    return flame.startRadius + (flame.endRadius - flame.startRadius) * t;
}

void AdvanceFlameParticles(std::vector<FlameParticle>& particles, float dt, const CollisionWorld& world,
                           const tune::FlameTuning& flame)
{
    const float drag = std::exp(-dt * flame.dragRate);
    for (size_t i = 0; i < particles.size();) {
        FlameParticle& particle = particles[i];
        particle.age += dt;
        const SweepHit hit = world.SweepSphere(particle.position, particle.position + particle.velocity * dt,
                                               FlameRadius(particle.age, flame) * 0.5f);
        particle.position = hit.point;
        particle.velocity *= drag;
        if (hit.hit || particle.age >= flame.particleLifetime) {
            particles[i] = particles.back();
            particles.pop_back();
            continue;
        }
        ++i;
    }
}

void Server::EmitFlame(int slot)
{
    const int room = RoomOfPlayer(slot);
    if (room < 0) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    const PlayerState& state = client.state;
    const glm::vec3 aim = AimDirection(state);
    const glm::vec3 point = state.position + glm::vec3(0.0f, state.height - kLaunchBelowHead, 0.0f);
    const glm::vec3 direction = DirectionToward(point, AimTarget(slot, aim), aim);
    // Seeded by the shot count, so the same shot spreads the same way wherever it is replayed.
    const uint32_t seed = 0x9E3779B9u - state.shotsFired * 1640531535u;
    const uint32_t r1 = Xorshift32(seed);
    const uint32_t r2 = Xorshift32(r1);
    ShotSpread(roomFlames[static_cast<size_t>(room)], slot, point, direction, tuning.match.flame, UnitOf(r1),
               UnitOf(r2));
}

void Server::SetAlight(int slot, int attacker, double time)
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];
    const tune::FlameTuning& flame = tuning.match.flame;
    if (time >= client.burningUntil) {
        client.nextBurn = time + flame.burnInterval;
        std::printf("[server] player %d set alight by %d\n", slot, attacker);
    }
    client.burner = attacker;
    client.burningUntil = time + flame.burnTime;
}

void Server::StepFlames(float dt, double time)
{
    const tune::FlameTuning& flame = tuning.match.flame;
    const bool friendlyFire = tuning.match.friendlyFire != 0;
    for (int room = 0; room < kMaxRooms; ++room) {
        std::vector<FlameParticle>& particles = roomFlames[static_cast<size_t>(room)];
        const Room& record = rooms[static_cast<size_t>(room)];
        if (!record.inUse || !record.started) {
            particles.clear();
            continue;
        }
        if (particles.empty()) {
            continue;
        }
        AdvanceFlameParticles(particles, dt, MapOfRoom(room).world, flame);

        // Shields: at most one flame hit per hit interval each.
        IdList<Shield>& shields = roomShields[static_cast<size_t>(room)];
        for (size_t i = 0; i < shields.items.size(); ++i) {
            if (shields.items[i].hitPoints == 0 || time - shields.items[i].lastFlameDamageTime < flame.hitInterval) {
                continue;
            }
            for (const FlameParticle& particle : particles) {
                Shield& shield = shields.items[i];
                if (IsFriendlyDeployable(room, particle.owner, shield.team, static_cast<int>(shield.owner))) {
                    continue;
                }
                const glm::vec3 nearest = ClosestPointOnShield(shield, tuning.shield, particle.position);
                if (!(glm::length(nearest - particle.position) <= FlameRadius(particle.age, flame))) {
                    continue;
                }
                shield.lastFlameDamageTime = time;
                const int owner = particle.owner;
                if (owner >= 0 && static_cast<size_t>(owner) < slots.size()) {
                    const double raw = std::trunc(static_cast<double>(DamageScale(owner) * flame.damagePerHit) + 0.5);
                    const int damage = static_cast<int>(std::clamp(raw, 0.0, static_cast<double>(kMaxHitAmount)));
                    BreakShield(room, shield.id, damage, owner);
                    HitEventMessage hit;
                    hit.attacker = owner;
                    hit.victim = static_cast<uint8_t>(owner);
                    hit.kind = kFlameHitKind;
                    hit.amount = damage;
                    hit.position = nearest;
                    SendToRoom(room, hit);
                }
                break;
            }
        }

        // Players: each at most once per hit interval, however many particles touch him.
        const float height = tuning.movement.standingHeight;
        for (const FlameParticle& particle : particles) {
            const int owner = particle.owner;
            const float reach = FlameRadius(particle.age, flame) + kPlayerReach;
            for (size_t s = 0; s < slots.size(); ++s) {
                ClientSlot& other = slots[s];
                const int victim = static_cast<int>(s);
                PlayerState& state = other.state;
                if (!other.inUse || other.room != room || state.respawnTicks != 0 || state.health == 0 ||
                    state.spawnProtectionTicks != 0 || victim == owner) {
                    continue;
                }
                if (!friendlyFire && owner >= 0 && SameTeam(owner, victim)) {
                    continue;
                }
                if (time - other.lastFlameHit < flame.hitInterval) {
                    continue;
                }
                const float y = std::clamp(particle.position.y, state.position.y, state.position.y + height);
                const glm::vec3 nearest(state.position.x, y, state.position.z);
                if (!(glm::length(nearest - particle.position) <= reach)) {
                    continue;
                }
                other.lastFlameHit = time;
                const double raw = std::trunc(static_cast<double>(DamageScale(owner) * flame.damagePerHit) + 0.5);
                const int damage = static_cast<int>(std::clamp(raw, 0.0, static_cast<double>(kMaxHitAmount)));
                RecordDamageCredit(victim, owner, time);
                const bool lethal = damage >= state.health;
                if (lethal) {
                    KillPlayer(victim, time, owner);
                } else {
                    state.health = static_cast<uint16_t>(state.health - damage);
                    SetAlight(victim, owner, time);
                }
                if (owner >= 0 && static_cast<size_t>(owner) < slots.size()) {
                    HitEventMessage hit;
                    hit.attacker = owner;
                    hit.victim = static_cast<uint8_t>(victim);
                    hit.kind = kFlameHitKind;
                    hit.amount = damage;
                    hit.lethal = lethal;
                    hit.position = state.position;
                    SendToRoom(room, hit);
                }
            }
        }
    }
}

}  // namespace net
