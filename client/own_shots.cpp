// The own shots, shown the frame they are predicted: traced from the eye with the server's own
// spread, so the tracer ends where the server's trace will end.
#include <algorithm>
#include <cstdlib>

#include <glm/vec3.hpp>

#include "client/flame_burst.h"
#include "client/muzzle_flash.h"
#include "client/ray_box.h"
#include "client/remote_slots.h"
#include "client/shot_presentation.h"
#include "client/startup_sounds.h"
#include "client/tracer_style.h"
#include "game/collision_world.h"
#include "game/shield.h"
#include "game/shot_geometry.h"
#include "render/effects.h"

namespace {

constexpr uint32_t kMostOwnShotsShown = 4;

// The shield message's record as the shared trace reads it.
Shield ShieldOf(const net::ShieldStateEntry& entry)
{
    Shield shield;
    shield.id = entry.id;
    shield.owner = static_cast<uint32_t>(entry.owner);
    shield.team = entry.team;
    shield.position = entry.position;
    shield.yaw = entry.yaw;
    shield.hitPoints = static_cast<uint16_t>(std::clamp(entry.hitPoints, 0, 65535));
    return shield;
}

// How far one pellet from the eye reaches: the world, the other players' hit volumes, then (while
// joined) the sentries and the shields that stop the own shots; each nearer hit shortens it.
float OwnPelletReach(const MatchFrame& frame, const CharacterFrame& characters, const RemoteSlots& players,
                     const glm::vec3& eye, const glm::vec3& direction, float range)
{
    const tune::Tuning& tuning = *frame.tuning;
    float reach = range;
    if (frame.world && reach > 0.0f) {
        const SweepHit wall = frame.world->SweepSphere(eye, eye + direction * reach, 0.0f);
        if (wall.hit) {
            reach = wall.fraction * reach;
        }
    }

    const uint8_t ownTeam = frame.display.team;
    const bool teamsMatter = tuning.match.friendlyFire == 0 && ownTeam != kTeamNone;
    if (frame.hitboxes && !frame.hitboxes->boxes.empty()) {
        for (const RemoteCharacterView& view : characters.remotes) {
            if (view.id >= static_cast<uint32_t>(net::kMaxPlayers)) {
                continue;
            }
            if (teamsMatter && frame.game) {
                const RemotePlayerView* shown = players.Find(frame.game->remotePlayers, static_cast<int>(view.id));
                if (shown && (shown->teamBlue ? 1 : 0) == ownTeam) {
                    continue;
                }
            }
            const HitboxHit body = RaycastHitboxes(*frame.hitboxes, characters.slotAnimators[view.id].jointMatrices,
                                                   view.model, eye, direction, reach);
            if (body.hit && body.distance < reach) {
                reach = body.distance;
            }
        }
    }

    if (!frame.joined || !frame.game) {
        return reach;
    }
    const tune::SentryTuning& sentryTuning = tuning.sentry;
    for (const net::SentryStateEntry& sentry : frame.game->sentries) {
        if (sentry.hitPoints <= 0) {
            continue;
        }
        const glm::vec3 boxMin = sentry.position - glm::vec3(sentryTuning.probeRadius, 0.0f, sentryTuning.probeRadius);
        const glm::vec3 boxMax =
            sentry.position + glm::vec3(sentryTuning.probeRadius, sentryTuning.height, sentryTuning.probeRadius);
        float entry = 0.0f;
        if (RayBoxHit(eye, direction, boxMin, boxMax, reach, entry) && entry < reach) {
            reach = entry;
        }
    }
    // A shield lets through its owner's shots and, in a team room, its side's; in a free-for-all
    // nobody else is an ally, so every other shield stops the shot, as on the server.
    for (const net::ShieldStateEntry& entry : frame.game->shields) {
        if (entry.hitPoints <= 0 || entry.owner == frame.ownId ||
            (ownTeam != kTeamNone && entry.team == ownTeam)) {
            continue;
        }
        const ShieldTrace wall = TraceShield(ShieldOf(entry), tuning.shield, eye, direction, reach);
        if (wall.hit && wall.distance < reach) {
            reach = wall.distance;
        }
    }
    return reach;
}

}  // namespace

void PresentOwnShots(ShotPresentation& shots, const MatchFrame& frame, const CharacterFrame& characters)
{
    if (!frame.playing || !frame.tuning) {
        shots.ownReloading = false;
        return;
    }
    const tune::Tuning& tuning = *frame.tuning;
    const PlayerState& own = frame.display;
    const uint8_t row = StateWeaponRow(own);
    const tune::WeaponTuning& weapon = tuning.Weapon(row);
    const bool sounds = frame.audio && frame.sounds;

    const bool reloading = own.reloadTicks != 0;
    if (reloading && !shots.ownReloading && sounds) {
        frame.audio->PlayAt(frame.sounds->weaponSecond[row], own.position, tuning.sound.eventSoundNear,
                            tuning.sound.eventSoundFar, weapon.fireSoundValue, 1.0f);
    }
    shots.ownReloading = reloading;

    // A counter that went back is a reconciliation: nothing to show, only the new value to follow.
    const uint32_t counter = own.shotsFired;
    if (counter <= shots.lastOwnShot) {
        shots.lastOwnShot = counter;
        return;
    }
    const uint32_t shown = std::min(counter - shots.lastOwnShot, kMostOwnShotsShown);
    // Without a weapon in the hand this frame the shots leave from the eye.
    const glm::vec3 muzzle = characters.own.weaponPlaced ? characters.own.muzzle : frame.camera.eye;
    const glm::vec3 forward = frame.camera.forward;

    if (frame.effects && row != kWeaponNone) {
        Effects& effects = *frame.effects;
        const glm::vec3 eye = frame.camera.eye;
        const glm::vec3 aim = AimDirection(own);
        const TracerStyle style = TracerStyleOf(tuning, row);
        const uint32_t pellets =
            static_cast<uint32_t>(std::clamp(weapon.pellets, 1, static_cast<int>(net::kMaxShotPellets)));
        const RemoteSlots players =
            frame.game ? IndexRemotePlayers(frame.game->remotePlayers) : IndexRemotePlayers({});
        for (uint32_t k = 1; k <= shown; ++k) {
            const uint32_t shotNumber = shots.lastOwnShot + k;
            if (weapon.notTraced == 0) {
                for (uint32_t pellet = 0; pellet < pellets; ++pellet) {
                    const glm::vec3 direction = ApplyShotSpread(aim, shotNumber, pellet, weapon);
                    const float reach = OwnPelletReach(frame, characters, players, eye, direction, weapon.range);
                    effects.SpawnTracer(muzzle, eye + direction * reach, style.colour, style.intensity, style.width,
                                        style.lifetime, style.speed, style.tail);
                }
            }
            if (row == kWeaponFlamer) {
                FlameBurst(effects, muzzle, forward, tuning.match.flame);
            } else if (weapon.beam == 0) {
                SpawnMuzzleFlash(effects, muzzle, forward, tuning.shotFeedback);
            }
        }
    }
    // Shots beyond the shown ones are skipped for good.
    shots.lastOwnShot = counter;

    if (sounds && weapon.continuousFireSound == 0) {
        float pitch = weapon.firePitch;
        if (weapon.firePitchVariation > 0.0f) {
            const float r = static_cast<float>(std::rand()) / static_cast<float>(RAND_MAX);
            pitch += (2.0f * r - 1.0f) * weapon.firePitchVariation;
        }
        frame.audio->PlayAt(frame.sounds->weaponFire[row], muzzle, tuning.sound.fireSoundNear,
                            tuning.sound.fireSoundFar, weapon.fireVolume, pitch);
    }
}
