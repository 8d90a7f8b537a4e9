#include "client/world_objects.h"

#include <algorithm>
#include <limits>

#include "client/audio_system.h"
#include "client/explosion_effects.h"
#include "client/game_session.h"
#include "client/match_frame.h"
#include "client/rand01.h"
#include "client/startup_sounds.h"
#include "client/tracer_style.h"
#include "game/collision_world.h"
#include "game/sentry.h"
#include "render/effects.h"

namespace {

constexpr uint8_t kGrenadeKind = 1;
constexpr uint8_t kStardustKind = 1;
constexpr int kMaxProjectileSteps = 5;
// Sentries fire rifle rounds: they show and sound like the M4 row.
constexpr int kSentryWeaponRow = kWeaponM4;

const SentryMemory* FindMemory(const std::vector<SentryMemory>& memories, uint32_t id)
{
    for (const SentryMemory& memory : memories) {
        if (memory.id == id) {
            return &memory;
        }
    }
    return nullptr;
}

// A sentry's shot: a ray of its range from the muzzle along the barrel, stopped by the level, drawn
// and heard like another player's shot.
void ShowSentryShot(const net::SentryStateEntry& entry, const MatchFrame& frame)
{
    const tune::Tuning& tuning = *frame.tuning;
    Sentry sentry;
    sentry.position = entry.position;
    sentry.baseYaw = entry.baseYaw;
    sentry.yaw = entry.yaw;
    sentry.pitch = entry.pitch;
    const glm::vec3 muzzle = SentryMuzzle(sentry, tuning.sentry);
    const glm::vec3 direction = SentryAimDirection(sentry);
    glm::vec3 end = muzzle + direction * tuning.sentry.targetRange;
    if (frame.world != nullptr) {
        const SweepHit hit = frame.world->SweepSphere(muzzle, end, 0.0f);
        if (hit.hit) {
            end = hit.point;
        }
    }
    if (frame.effects != nullptr) {
        const TracerStyle style = TracerStyleOf(tuning, kSentryWeaponRow);
        frame.effects->SpawnTracer(muzzle, end, style.colour, style.intensity, style.width, style.lifetime,
                                   style.speed, style.tail);
        const tune::ShotFeedbackTuning& feedback = tuning.shotFeedback;
        frame.effects->SpawnFlash(muzzle + direction * 0.06f,
                                  glm::vec3(feedback.muzzleFlashColour[0], feedback.muzzleFlashColour[1],
                                            feedback.muzzleFlashColour[2]),
                                  feedback.muzzleFlashFirst, feedback.muzzleFlashSecond, feedback.muzzleFlashLifetime);
    }
    if (frame.audio != nullptr && frame.sounds != nullptr) {
        const tune::WeaponTuning& row = tuning.Weapon(kSentryWeaponRow);
        float pitch = row.firePitch;
        if (row.firePitchVariation > 0.0f) {
            pitch += (2.0f * Rand01() - 1.0f) * row.firePitchVariation;
        }
        frame.audio->PlayAt(frame.sounds->weaponFire[kSentryWeaponRow], muzzle, tuning.sound.fireSoundNear,
                            tuning.sound.fireSoundFar, row.fireVolume, pitch);
    }
}

void TakeSentries(WorldObjects& objects, const MatchFrame& frame)
{
    const tune::Tuning& tuning = *frame.tuning;
    const tune::SoundTuning& sound = tuning.sound;
    std::vector<SentryMemory>& previous = objects.sentryScratch;
    previous.swap(objects.sentries);
    objects.sentries.clear();
    for (const net::SentryStateEntry& entry : frame.game->sentries) {
        const SentryMemory* seen = FindMemory(previous, entry.id);
        if (seen == nullptr && frame.audio != nullptr && frame.sounds != nullptr) {
            frame.audio->PlayAt(frame.sounds->placeSentry, entry.position, sound.eventSoundNear, sound.eventSoundFar,
                                sound.placeSentryGain, 1.0f);
        }
        const int lastTarget = seen != nullptr ? seen->target : -1;
        if (entry.target >= 0 && entry.target != lastTarget && entry.hitPoints > 0 && frame.audio != nullptr &&
            frame.sounds != nullptr) {
            frame.audio->PlayAt(frame.sounds->beep, entry.position, sound.eventSoundNear, sound.eventSoundFar,
                                sound.beepGain, 1.0f);
        }
        // The first sight only records the counter.
        if (seen != nullptr && seen->shotsFired != entry.shotsFired) {
            ShowSentryShot(entry, frame);
        }
        objects.sentries.push_back({entry.id, entry.target, entry.shotsFired});
    }
}

void TakeShields(WorldObjects& objects, const MatchFrame& frame)
{
    const tune::Tuning& tuning = *frame.tuning;
    std::vector<uint32_t>& previous = objects.shieldScratch;
    previous.swap(objects.shieldIds);
    objects.shieldIds.clear();
    for (const net::ShieldStateEntry& entry : frame.game->shields) {
        const bool seen = std::find(previous.begin(), previous.end(), entry.id) != previous.end();
        if (!seen && entry.hitPoints > 0 && frame.audio != nullptr && frame.sounds != nullptr) {
            frame.audio->PlayAt(frame.sounds->placeShield, entry.position, tuning.sound.eventSoundNear,
                                tuning.sound.eventSoundFar, tuning.shield.placeSoundVolume, 1.0f);
        }
        objects.shieldIds.push_back(entry.id);
    }
}

void TakeProjectiles(WorldObjects& objects, const MatchFrame& frame)
{
    const tune::Tuning& tuning = *frame.tuning;
    for (const net::ProjectileSpawnedMessage& message : frame.game->TakeProjectilesSpawned()) {
        // The same flight the server gives it, so that both see the same arc.
        Projectile projectile;
        projectile.id = message.id;
        projectile.owner = static_cast<uint32_t>(message.owner);
        projectile.position = message.position;
        projectile.velocity = message.velocity;
        projectile.kind = message.kind;
        if (message.kind == kGrenadeKind) {
            projectile.gravity = tuning.grenade.gravity;
            projectile.radius = tuning.grenade.radius;
            projectile.fuse = tuning.grenade.fuseTime;
            projectile.bounces = 1;
            projectile.restitution = tuning.grenade.restitution;
            projectile.friction = tuning.grenade.bounceFriction;
            projectile.restSpeed = tuning.grenade.restSpeed;
        } else {
            projectile.gravity = tuning.match.rocket.gravity;
            projectile.radius = tuning.match.rocket.radius;
            projectile.fuse = tuning.match.rocket.fuseTime;
        }
        AddProjectileIfMissing(objects.projectiles, projectile);
    }
    for (const net::ProjectileDetonatedMessage& message : frame.game->TakeProjectileDetonations()) {
        RemoveProjectile(objects.projectiles, message.id);
        if (frame.effects != nullptr) {
            SpawnExplosion(*frame.effects, message.position, tuning);
        }
        if (frame.audio != nullptr && frame.sounds != nullptr) {
            frame.audio->PlayAt(frame.sounds->explosion, message.position, tuning.sound.explosionSoundNear,
                                tuning.sound.explosionSoundFar, tuning.match.explosion.soundVolume, 1.0f);
        }
    }
}

void TakeDrops(WorldObjects& objects, const MatchFrame& frame)
{
    const tune::Tuning& tuning = *frame.tuning;
    for (const net::DropSpawnEntry& entry : frame.game->TakeDropsSpawned()) {
        auto early = std::find(objects.takenUnseenDrops.begin(), objects.takenUnseenDrops.end(), entry.id);
        if (early != objects.takenUnseenDrops.end()) {
            objects.takenUnseenDrops.erase(early);
            continue;
        }
        DeathDrop drop;
        drop.id = entry.id;
        drop.kind = entry.kind;
        drop.position = entry.position;
        drop.velocity = entry.velocity;
        drop.spin = entry.spin;
        AddDropIfMissing(objects.drops, drop);
    }
    const tune::PickupTuning& pickups = tuning.match.pickups;
    for (const net::DropTakenMessage& message : frame.game->TakeDropsTaken()) {
        const DeathDrop* drop = FindById(objects.drops, message.dropId);
        if (drop == nullptr) {
            // Announced out of order: remember it so that its late announcement shows nothing.
            if (objects.takenUnseenDrops.size() >= kMaxRememberedTakenDrops) {
                objects.takenUnseenDrops.erase(objects.takenUnseenDrops.begin());
            }
            objects.takenUnseenDrops.push_back(message.dropId);
            continue;
        }
        if (drop->taken == 0) {
            if (frame.audio != nullptr && frame.sounds != nullptr) {
                if (drop->kind == kStardustKind) {
                    frame.audio->PlayAt(frame.sounds->stardustPickup, drop->position, tuning.sound.pickupSoundNear,
                                        tuning.sound.pickupSoundFar, pickups.stardustVolume, 1.0f);
                } else {
                    const float pitch = 1.0f + (2.0f * Rand01() - 1.0f) * pickups.coinPitchSpread;
                    frame.audio->PlayAt(frame.sounds->coinPickup, drop->position, tuning.sound.pickupSoundNear,
                                        tuning.sound.pickupSoundFar, pickups.coinVolume, pitch);
                }
            }
            if (drop->kind != kStardustKind && frame.ownId >= 0 && static_cast<int>(message.slot) == frame.ownId) {
                ++objects.pendingCoinGrant;
            }
        }
        MarkDropTaken(objects.drops, message.dropId);
    }
}

void TakeHealingFields(WorldObjects& objects, const MatchFrame& frame)
{
    for (const net::HealingFieldMessage& message : frame.game->TakeHealingFields()) {
        if (objects.healingFields.size() >= kMaxHealingFields) {
            objects.healingFields.erase(objects.healingFields.begin());  // the oldest
        }
        objects.healingFields.push_back({message.id, message.position, 0.0f});
    }
}

}  // namespace

void TakeWorldEvents(WorldObjects& objects, const MatchFrame& frame)
{
    if (frame.game == nullptr || frame.tuning == nullptr) {
        return;
    }
    TakeSentries(objects, frame);
    TakeShields(objects, frame);
    TakeProjectiles(objects, frame);
    TakeDrops(objects, frame);
    TakeHealingFields(objects, frame);
}

void StepWorldObjects(WorldObjects& objects, const MatchFrame& frame, double& projectileAccumulator)
{
    if (!frame.playing || frame.tuning == nullptr) {
        objects.drops.items.clear();
        objects.projectiles.items.clear();
        objects.healingFields.clear();
        objects.takenUnseenDrops.clear();
        projectileAccumulator = 0.0;
        return;
    }
    const tune::Tuning& tuning = *frame.tuning;
    if (frame.world != nullptr) {
        const double step = 1.0 / static_cast<double>(std::max(tuning.loop.tickRate, 1));
        projectileAccumulator += static_cast<double>(frame.dt);
        int steps = 0;
        while (projectileAccumulator >= step && steps < kMaxProjectileSteps) {
            objects.impactScratch.clear();
            AdvanceProjectiles(objects.projectiles, static_cast<float>(step), *frame.world, objects.impactScratch);
            projectileAccumulator -= step;
            ++steps;
        }
        if (projectileAccumulator > step * 4.0) {
            projectileAccumulator = 0.0;
        }
        // The client never sees the level's kill height; a drop that falls out of the world simply
        // expires.
        AdvanceDrops(objects.drops, frame.dt, *frame.world, tuning.match.drops, std::numeric_limits<float>::lowest());
    }
    const float lifetime = tuning.healingField.lifetime;
    for (HealingField& field : objects.healingFields) {
        field.age += frame.dt;
    }
    std::erase_if(objects.healingFields, [lifetime](const HealingField& field) { return field.age >= lifetime; });
}

void PresentGains(WorldObjects& objects, const MatchFrame& frame)
{
    if (frame.game == nullptr) {
        return;
    }
    const EconomyView& economy = frame.game->economy;
    const int64_t gained = economy.metalEarnedSum - objects.lastMetalEarnedSum;
    // A new connection starts its sums again from 0: that is no gain.
    objects.lastMetalEarnedSum = economy.metalEarnedSum;
    if (gained > 0 && frame.currencyGains != nullptr) {
        const int64_t shown = std::min<int64_t>(gained, std::numeric_limits<int32_t>::max());
        hud::AddFlash(*frame.currencyGains, static_cast<int32_t>(shown));
    }
    if (gained > 0 && frame.audio != nullptr && frame.sounds != nullptr) {
        frame.audio->Play(frame.sounds->metalGain, 0.85f, 1.0f);
    }
    if (economy.metalSpent > objects.lastUpgradeCounter && frame.audio != nullptr && frame.sounds != nullptr) {
        frame.audio->Play(frame.sounds->upgrade, 0.9f, 1.0f);
    }
    objects.lastUpgradeCounter = economy.metalSpent;
    if (frame.damageNumbers != nullptr) hud::AgePopups(*frame.damageNumbers, frame.dt);
    if (frame.currencyGains != nullptr) hud::AgePopupsB(*frame.currencyGains, frame.dt);
}

int TakeCoinGrant(WorldObjects& objects)
{
    const int coins = objects.pendingCoinGrant;
    objects.pendingCoinGrant = 0;
    return coins;
}
