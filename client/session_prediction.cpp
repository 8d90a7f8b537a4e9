// The own player run ahead of the server with the shared movement step, corrected from each newer
// snapshot by replaying the commands the server has not applied yet; the others shown a fixed
// delay behind the newest snapshot, blended between the two around the display tick.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "client/game_session.h"
#include "game/angles.h"
#include "game/collision_world.h"
#include "game/player_movement.h"
#include "net/player_state_codec.h"
#include "net/quantized_player.h"

namespace {

float StepSeconds(const tune::Tuning& tuning)
{
    return 1.0f / static_cast<float>(std::max(tuning.loop.tickRate, 1));
}

// The fields of the held weapon and its ammunition, where a misprediction shows as a wrong count
// or a shot that never was.
bool WeaponFieldsDiffer(const PlayerState& a, const PlayerState& b)
{
    return a.weapon != b.weapon || a.ammo != b.ammo || a.reloadTicks != b.reloadTicks ||
           a.fireHeld != b.fireHeld || a.storedMask != b.storedMask ||
           std::memcmp(a.storedAmmo, b.storedAmmo, sizeof a.storedAmmo) != 0 ||
           std::memcmp(a.shotCooldown, b.shotCooldown, sizeof a.shotCooldown) != 0 ||
           a.shotsFired != b.shotsFired || a.burstLeft != b.burstLeft || a.burstTimer != b.burstTimer ||
           a.chargeTicks != b.chargeTicks || a.shotCharge != b.shotCharge;
}

// Without a level the player moves through empty space.
const CollisionWorld& WorldOrEmpty(const CollisionWorld* world)
{
    static const CollisionWorld empty;
    return world != nullptr ? *world : empty;
}

bool IsAliveState(const PlayerState& state)
{
    return state.respawnTicks == 0 && state.health > 0;
}

}  // namespace

bool SamePlayerState(const PlayerState& predicted, const PlayerState& authoritative)
{
    PlayerState scratch = predicted;
    scratch.health = authoritative.health;
    scratch.team = authoritative.team;
    scratch.lives = authoritative.lives;
    scratch.respawnTicks = authoritative.respawnTicks;
    scratch.spawnProtectionTicks = authoritative.spawnProtectionTicks;
    scratch.overhealHoldTicks = authoritative.overhealHoldTicks;

    uint32_t mine[128] = {};
    uint32_t theirs[128] = {};
    net::BitWriter a(mine, 128);
    net::BitWriter b(theirs, 128);
    WritePlayerState(a, scratch, false);
    WritePlayerState(b, authoritative, false);
    a.Flush();
    b.Flush();
    if (a.Overflowed() || b.Overflowed() || a.ByteLength() != b.ByteLength()) {
        return false;
    }
    return std::memcmp(mine, theirs, static_cast<size_t>(a.ByteLength())) == 0;
}

void GameSession::PredictLocalMove(const InputCommand& command, const CollisionWorld* world)
{
    InputCommand filled = command;
    if (filled.claimedViewTick == kNoViewTick) {
        filled.claimedViewTick = displayedTick;
    }
    MovePlayer(own, filled, StepSeconds(tuning), tuning, WorldOrEmpty(world));
    PredictionEntry& entry = predictions[filled.tick % kPredictionRingLength];
    entry.tick = filled.tick;
    entry.command = filled;
    entry.state = own;
    newestPredictedTick = filled.tick;
}

const SnapshotRecord* GameSession::FindSnapshot(uint32_t tick) const
{
    if (tick >= 0xFFFFFFFEu) {
        return nullptr;
    }
    const SnapshotRecord& record = snapshots[tick % kSnapshotRingLength];
    return record.tick == tick ? &record : nullptr;
}

void GameSession::OnSnapshot(net::BitReader& reader, const CollisionWorld* world, double now)
{
    net::SnapshotHeader header;
    if (!net::ReadSnapshotHeader(reader, header) || header.serverTick >= 0xFFFFFFFEu) {
        return;
    }
    const SnapshotRecord* baseline = nullptr;
    if (header.baselineTick != net::kNoTick) {
        baseline = FindSnapshot(header.baselineTick);
        if (baseline == nullptr) {
            return;  // the next snapshot is coded against what this client acknowledges
        }
    }
    SnapshotRecord& record = snapshots[header.serverTick % kSnapshotRingLength];
    if (!net::ReadSnapshotBody(reader, baseline != nullptr ? &baseline->view : nullptr, decodeScratch)) {
        record.tick = net::kNoTick;
        return;
    }
    record.view = decodeScratch.view;
    record.tick = header.serverTick;
    ownBurning = decodeScratch.ownBurning;

    if (newestSnapshotTick == net::kNoTick || header.serverTick > newestSnapshotTick) {
        newestSnapshotArrival = now;
        newestSnapshotTick = header.serverTick;
        acknowledgedInputTick = header.lastInputTick;
        ReconcileOwnPlayer(header.lastInputTick, decodeScratch.own, world);
    }
}

void GameSession::ReconcileOwnPlayer(uint32_t ackTick, const PlayerState& authoritative, const CollisionWorld* world)
{
    const glm::vec3 oldPosition = own.position;
    const bool aliveBefore = IsAliveState(own);
    const uint8_t livesBefore = own.lives;

    const PredictionEntry& acknowledged = predictions[ackTick % kPredictionRingLength];
    const bool held = acknowledged.tick == ackTick;
    lastComparedDistance = 0.0f;
    if (held) {
        const glm::vec3 d = acknowledged.state.position - authoritative.position;
        lastComparedDistance = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        if (!SamePlayerState(acknowledged.state, authoritative)) {
            corrections += 1;
            if (WeaponFieldsDiffer(acknowledged.state, authoritative)) {
                weaponCorrections += 1;
            }
        }
    }

    own = authoritative;
    if (newestPredictedTick > ackTick) {
        const uint32_t ahead = std::min<uint32_t>(newestPredictedTick - ackTick, kPredictionRingLength);
        const float dt = StepSeconds(tuning);
        for (uint32_t t = newestPredictedTick - ahead + 1; t <= newestPredictedTick; ++t) {
            PredictionEntry& entry = predictions[t % kPredictionRingLength];
            if (entry.tick != t) {
                continue;
            }
            MovePlayer(own, entry.command, dt, tuning, WorldOrEmpty(world));
            entry.state = own;
        }
    }

    const bool continuous = held && aliveBefore && IsAliveState(own) && livesBefore == own.lives;
    if (continuous) {
        const glm::vec3 offset = oldPosition + correctionOffset - own.position;
        if (offset.x * offset.x + offset.y * offset.y + offset.z * offset.z < 4.0f) {
            correctionOffset = offset;
            return;
        }
    }
    correctionOffset = glm::vec3(0.0f);  // the player snaps
}

void GameSession::DecayCorrection(float dt)
{
    const float fade = std::exp(-20.0f * std::max(dt, 0.0f));
    correctionOffset *= fade;
    const glm::vec3& o = correctionOffset;
    if (o.x * o.x + o.y * o.y + o.z * o.z < 1e-6f) {
        correctionOffset = glm::vec3(0.0f);
    }
}

namespace {

RemotePlayerView ViewOf(int id, const net::QuantizedPlayer& q)
{
    RemotePlayerView view;
    view.id = id;
    view.position = glm::vec3(static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z)) / 256.0f;
    view.yaw = static_cast<float>(q.yaw) * (360.0f / 4096.0f);
    view.pitch = static_cast<float>(q.pitch) * (360.0f / 1024.0f) - 180.0f;
    view.bodyYaw = static_cast<float>(q.bodyYaw) * (360.0f / 1024.0f);
    view.onGround = (q.flags & net::kQuantizedOnGround) != 0;
    view.crouching = (q.flags & net::kQuantizedCrouching) != 0;
    view.firing = (q.flags & net::kQuantizedFiring) != 0;
    view.weapon = static_cast<uint8_t>((q.flags >> net::kQuantizedWeaponShift) & 0xFu);
    view.teamBlue = (q.flags & net::kQuantizedTeamBlue) != 0;
    view.spawnProtected = (q.flags & net::kQuantizedSpawnProtected) != 0;
    view.armour = static_cast<uint8_t>((q.flags >> net::kQuantizedArmorShift) & 0x7u);
    view.burning = (q.flags & net::kQuantizedBurning) != 0;
    view.cooking = (q.flags & net::kQuantizedCooking) != 0;
    view.throwing = (q.flags & net::kQuantizedThrowing) != 0;
    view.powerActive = (q.flags & net::kQuantizedPowerActive) != 0;
    view.reloading = (q.flags & net::kQuantizedReloading) != 0;
    view.speed = static_cast<float>(q.speed) * 0.25f;
    view.shotCount = q.shotCount;
    return view;
}

float BlendAngle(float a, float b, float t)
{
    return a + AngleDelta(a, b) * t;
}

}  // namespace

void GameSession::InterpolateSnapshots(double now)
{
    remotePlayers.clear();
    if (newestSnapshotTick == net::kNoTick) {
        return;
    }
    const double rate = static_cast<double>(std::max(tuning.loop.tickRate, 1));
    const double renderTick = static_cast<double>(newestSnapshotTick) + (now - newestSnapshotArrival) * rate -
                              static_cast<double>(tuning.network.interpolationDelayMs) * 0.001 * rate;

    const SnapshotRecord* older = nullptr;
    const SnapshotRecord* newer = nullptr;
    for (const SnapshotRecord& record : snapshots) {
        if (record.tick == net::kNoTick) {
            continue;
        }
        const double tick = static_cast<double>(record.tick);
        if (tick <= renderTick) {
            if (older == nullptr || record.tick > older->tick) {
                older = &record;
            }
        } else if (newer == nullptr || record.tick < newer->tick) {
            newer = &record;
        }
    }
    const SnapshotRecord* base = older != nullptr ? older : newer;
    if (base == nullptr) {
        return;
    }
    const double highest = newer != nullptr ? static_cast<double>(newer->tick) : static_cast<double>(base->tick);
    const double shown = std::max(std::clamp(renderTick, static_cast<double>(base->tick), highest), 0.0);
    displayedTick = static_cast<uint32_t>(shown);

    float t = 0.0f;
    if (older != nullptr && newer != nullptr && newer->tick != older->tick) {
        t = static_cast<float>((renderTick - static_cast<double>(older->tick)) /
                               static_cast<double>(newer->tick - older->tick));
        t = std::clamp(t, 0.0f, 1.0f);
    }
    for (int id = 0; id < net::kMaxPlayers; ++id) {
        if (id == ownSlot || !base->view.present.test(static_cast<size_t>(id))) {
            continue;
        }
        RemotePlayerView view = ViewOf(id, base->view.records[static_cast<size_t>(id)]);
        if (t > 0.0f && newer != nullptr && newer->view.present.test(static_cast<size_t>(id))) {
            const RemotePlayerView next = ViewOf(id, newer->view.records[static_cast<size_t>(id)]);
            view.position = view.position + (next.position - view.position) * t;
            view.yaw = BlendAngle(view.yaw, next.yaw, t);
            view.pitch = BlendAngle(view.pitch, next.pitch, t);
            view.bodyYaw = BlendAngle(view.bodyYaw, next.bodyYaw, t);
            view.speed = view.speed + (next.speed - view.speed) * t;
        }
        remotePlayers.push_back(view);
    }
}
