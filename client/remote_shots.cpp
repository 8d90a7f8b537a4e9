// The other players as heard and their shots as seen: the sounds their shown records give away,
// the muzzles of their flame and projectile shots, and the tracers of the shots the server reports.
#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

#include "client/flame_burst.h"
#include "client/muzzle_flash.h"
#include "client/rand01.h"
#include "client/remote_slots.h"
#include "client/shot_presentation.h"
#include "client/startup_sounds.h"
#include "client/tracer_style.h"
#include "game/shot_geometry.h"
#include "platform/clock.h"
#include "render/effects.h"

namespace {

// How far ahead of a remote flamer's muzzle its flame bursts start.
constexpr float kRemoteFlameAhead = 0.08f;
// A continuous fire sound keeps looping only while snapshots keep coming.
constexpr double kFreshSnapshotSeconds = 0.5;

// Where a shown player's shots leave and where they go: the placed weapon's muzzle and the aim, or,
// without a weapon placed this frame, the eye above the feet and the shown view angles.
void RemoteMuzzle(const RemotePlayerView& player, const RemoteCharacterView* view, const tune::Tuning& tuning,
                  glm::vec3& muzzle, glm::vec3& aim)
{
    if (view && view->weaponPlaced) {
        muzzle = view->muzzle;
        aim = view->aim;
        return;
    }
    muzzle = player.position + glm::vec3(0.0f, tuning.camera.viewPivotHeight, 0.0f);
    aim = view ? view->aim : ViewDirection(player.yaw, player.pitch);
}

void PlayRemoteSounds(const MatchFrame& frame, const RemotePlayerView& player, const RemoteSoundEvents& events,
                      double sinceSnapshot)
{
    const tune::Tuning& tuning = *frame.tuning;
    const tune::SoundTuning& sound = tuning.sound;
    audio::AudioSystem& audio = *frame.audio;
    const audio::StartupSounds& sounds = *frame.sounds;
    const int row = player.weapon < tune::Tuning::kWeaponCount ? player.weapon : 0;
    const tune::WeaponTuning& weapon = tuning.Weapon(row);
    const int slot = player.id;

    if (weapon.continuousFireSound != 0) {
        if (player.firing && sinceSnapshot < kFreshSnapshotSeconds) {
            audio.UpdateEmitter(sounds.weaponFire[row], static_cast<uint64_t>(slot) + 1, player.position,
                                sound.fireSoundNear, sound.fireSoundFar, weapon.fireVolume, weapon.firePitch);
        }
    } else {
        for (int i = 0; i < events.shots; ++i) {
            const float pitch = weapon.firePitch + (2.0f * Rand01() - 1.0f) * weapon.firePitchVariation;
            audio.PlayAt(sounds.weaponFire[row], player.position, sound.fireSoundNear, sound.fireSoundFar,
                         weapon.fireVolume, pitch);
        }
    }
    for (int i = 0; i < events.footsteps; ++i) {
        const int which = std::min(3, static_cast<int>(4.0f * Rand01()));
        const float volume = sound.footstepVolume * (1.0f + (2.0f * Rand01() - 1.0f) * sound.footstepVolumeSpread);
        const float pitch = 1.0f + (2.0f * Rand01() - 1.0f) * sound.footstepVolumeSpread;
        audio.PlayAt(sounds.footsteps[which], player.position, sound.soundNear, sound.soundFar, volume, pitch);
    }
    if (events.reloadStarted) {
        audio.PlayAt(sounds.weaponSecond[row], player.position, sound.eventSoundNear, sound.eventSoundFar,
                     weapon.fireSoundValue, 1.0f);
    }
    if (events.grenadeThrown) {
        audio.PlayAt(sounds.woosh, player.position, sound.eventSoundNear, sound.eventSoundFar, sound.wooshGain, 1.0f);
    }
    if (events.turnedInvisible) {
        audio.PlayAt(sounds.invisibility, player.position, sound.eventSoundNear, sound.eventSoundFar,
                     tuning.invisibility.soundVolume, 1.0f);
    }
}

}  // namespace

void PresentRemotePlayers(ShotPresentation& shots, const MatchFrame& frame, const CharacterFrame& characters)
{
    std::bitset<net::kMaxPlayers> shown;
    if (frame.tuning && frame.joined && frame.game) {
        const tune::Tuning& tuning = *frame.tuning;
        const GameSession& game = *frame.game;
        const RemoteSlots views = IndexRemoteViews(characters.remotes);
        const double sinceSnapshot = SecondsSinceStart() - game.newestSnapshotArrival;
        for (const RemotePlayerView& player : game.remotePlayers) {
            if (player.id < 0 || player.id >= net::kMaxPlayers) {
                continue;
            }
            const size_t slot = static_cast<size_t>(player.id);
            shown.set(slot);

            // Hit-scan rows are shown through their shot events; flames and launches here.
            if (shots.shotBytesSeen.test(slot) && player.shotCount != shots.shotBytes[slot] && frame.effects) {
                const int row = player.weapon < tune::Tuning::kWeaponCount ? player.weapon : 0;
                glm::vec3 muzzle{0.0f};
                glm::vec3 aim{0.0f, 0.0f, -1.0f};
                RemoteMuzzle(player, views.Find(characters.remotes, player.id), tuning, muzzle, aim);
                if (row == kWeaponFlamer) {
                    FlameBurst(*frame.effects, muzzle + aim * kRemoteFlameAhead, aim, tuning.match.flame);
                } else if (tuning.Weapon(row).notTraced != 0) {
                    SpawnMuzzleFlash(*frame.effects, muzzle, aim, tuning.shotFeedback);
                }
            }
            shots.shotBytes[slot] = player.shotCount;
            shots.shotBytesSeen.set(slot);

            const RemoteSoundEvents events = shots.trackers[slot].Update(player, tuning.sound.footstepStride);
            if (frame.audio && frame.sounds) {
                PlayRemoteSounds(frame, player, events, sinceSnapshot);
            }
        }
    }
    for (size_t slot = 0; slot < static_cast<size_t>(net::kMaxPlayers); ++slot) {
        if (!shown.test(slot)) {
            shots.trackers[slot].Reset();
            shots.shotBytesSeen.reset(slot);
        }
    }
}

void PresentShotEvents(const MatchFrame& frame, const CharacterFrame& characters,
                       const std::vector<ShotEventRecord>& events)
{
    if (!frame.tuning || !frame.effects || events.empty()) {
        return;
    }
    const tune::Tuning& tuning = *frame.tuning;
    Effects& effects = *frame.effects;
    const RemoteSlots views = IndexRemoteViews(characters.remotes);
    for (const ShotEventRecord& event : events) {
        const tune::WeaponTuning& weapon = tuning.Weapon(event.weapon);
        if (weapon.beam != 0) {
            continue;  // beams are rebuilt every frame from the shooter's firing flag
        }
        const int pellets = std::clamp(event.pelletCount, 0, static_cast<int>(net::kMaxShotPellets));
        glm::vec3 origin = event.origin;
        glm::vec3 direction{0.0f, 0.0f, -1.0f};
        if (pellets > 0) {
            const glm::vec3 toEnd = event.pelletEnds[0] - origin;
            const float length = glm::length(toEnd);
            if (length > 1e-6f) {
                direction = toEnd / length;
            }
        }
        const RemoteCharacterView* view = views.Find(characters.remotes, event.shooter);
        if (view && view->weaponPlaced) {
            origin = view->muzzle;
            direction = view->aim;
        }
        const TracerStyle style = TracerStyleOf(tuning, event.weapon);
        for (int k = 0; k < pellets; ++k) {
            effects.SpawnTracer(origin, event.pelletEnds[static_cast<size_t>(k)], style.colour, style.intensity,
                                style.width, style.lifetime, style.speed, style.tail);
        }
        SpawnMuzzleFlash(effects, origin, direction, tuning.shotFeedback);
    }
}
