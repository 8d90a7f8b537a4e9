#include "client/world_effects.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "client/audio_system.h"
#include "client/character_view.h"
#include "client/game_session.h"
#include "client/match_frame.h"
#include "client/rand01.h"
#include "client/rising_sparks.h"
#include "client/startup_sounds.h"
#include "client/world_models.h"
#include "client/world_objects.h"
#include "render/effects.h"
#include "render/renderer.h"

namespace {

constexpr uint8_t kGrenadeKind = 1;
constexpr float kEmberHeight = 1.8f;

// One of the four footstep sounds at the feet, a little louder or softer and higher or lower each time.
void PlayFootstep(const MatchFrame& frame, const glm::vec3& feet)
{
    const tune::SoundTuning& sound = frame.tuning->sound;
    const int which = std::min(3, static_cast<int>(4.0f * Rand01()));
    const float volume = sound.footstepVolume * (1.0f + (2.0f * Rand01() - 1.0f) * sound.footstepVolumeSpread);
    const float pitch = 1.0f + (2.0f * Rand01() - 1.0f) * sound.footstepVolumeSpread;
    frame.audio->PlayAt(frame.sounds->footsteps[which], feet, sound.soundNear, sound.soundFar, volume, pitch);
}

void StepOwnFootsteps(WorldObjects& objects, const MatchFrame& frame)
{
    if (!frame.playing) {
        objects.ownSteps.Reset();
        return;
    }
    RemotePlayerView own;
    own.position = frame.display.position;
    own.onGround = frame.display.onGround != 0;
    // Only the stride is wanted; the other fields stay as they were so that no edge fires.
    own.shotCount = objects.ownSteps.shotCount;
    own.weapon = objects.ownSteps.weapon;
    const RemoteSoundEvents events = objects.ownSteps.Update(own, frame.tuning->sound.footstepStride);
    if (frame.audio == nullptr || frame.sounds == nullptr) {
        return;
    }
    for (int i = 0; i < events.footsteps; ++i) {
        PlayFootstep(frame, frame.display.position);
    }
}

void SpawnGrenadeTrail(const Projectile& projectile, const MatchFrame& frame, int sparks)
{
    const tune::Tuning& tuning = *frame.tuning;
    const tune::GrenadeTuning& grenade = tuning.grenade;
    const tune::ExplosionTuning& explosion = tuning.match.explosion;
    const glm::vec3 colour(explosion.fragmentColour[0], explosion.fragmentColour[1], explosion.fragmentColour[2]);
    const glm::vec3& v = projectile.velocity;
    const float speed = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    const glm::vec3 back = speed > 0.001f ? -v / speed : glm::vec3(0.0f);
    for (int i = 0; i < sparks; ++i) {
        const float r1 = Rand01();
        const float r2 = Rand01();
        const float r3 = Rand01();
        const float r4 = Rand01();
        const glm::vec3 jitter((r1 - 0.5f) * grenade.trailJitter, (r2 - 0.5f) * grenade.trailJitter,
                               (r3 - 0.5f) * grenade.trailJitter);
        const glm::vec3 position = projectile.position + back * (r4 * speed * frame.dt) + jitter;
        frame.effects->SpawnFlash(position, colour, explosion.flashFirst * explosion.fragmentDistanceScale,
                                  grenade.trailSecondFlash, grenade.trailLifetime);
    }
}

// Whole counts from an accumulator that carries its fraction to the next frame.
int TakeWhole(float& accumulator)
{
    if (!std::isfinite(accumulator) || accumulator < 0.0f) {
        accumulator = 0.0f;
        return 0;
    }
    const int whole = static_cast<int>(std::min(accumulator, 64.0f));
    accumulator -= std::floor(accumulator);
    return whole;
}

}  // namespace

glm::mat4 GrenadeFlightMatrix(const Projectile& projectile, float spinRate)
{
    const glm::vec3& v = projectile.velocity;
    // Across the flight in the horizontal plane, so the grenade tumbles forward; straight up or
    // down, or at rest, it turns about x.
    glm::vec3 axis(-v.z, 0.0f, v.x);
    const float length = std::sqrt(axis.x * axis.x + axis.z * axis.z);
    axis = length > 0.001f ? axis / length : glm::vec3(1.0f, 0.0f, 0.0f);
    const float angle = glm::radians(std::fmod(projectile.age * spinRate, 360.0f));
    return glm::rotate(glm::translate(glm::mat4(1.0f), projectile.position), angle, axis);
}

void SpawnWorldEffects(WorldObjects& objects, const MatchFrame& frame, const CharacterFrame& characters,
                       render::Renderer& renderer)
{
    if (frame.tuning == nullptr) {
        return;
    }
    const tune::Tuning& tuning = *frame.tuning;
    StepOwnFootsteps(objects, frame);

    objects.trailAccumulator += tuning.grenade.trailSparksPerSecond * frame.dt;
    const int trailSparks = TakeWhole(objects.trailAccumulator);
    const bool drawGrenades = frame.models != nullptr && frame.models->grenadeLoaded;
    for (const Projectile& projectile : objects.projectiles.items) {
        if (projectile.kind != kGrenadeKind) {
            continue;
        }
        if (drawGrenades) {
            renderer.DrawStatic(frame.models->grenade, GrenadeFlightMatrix(projectile, tuning.grenade.spinRate),
                                frame.viewProj, tuning.lighting, nullptr, false, 1.0f);
        }
        if (frame.effects != nullptr) {
            SpawnGrenadeTrail(projectile, frame, trailSparks);
        }
    }

    const RisingSparkLook ember = EmberLook(tuning.match.flame);
    objects.emberAccumulator += tuning.match.flame.tailValues[0] * frame.dt;
    const int embers = TakeWhole(objects.emberAccumulator);
    if (frame.effects == nullptr || embers == 0) {
        return;
    }
    const bool ownInvisible = frame.display.powerActive != 0;
    if (frame.playing && frame.game != nullptr && frame.game->ownBurning && !ownInvisible) {
        SpawnRisingSparks(*frame.effects, frame.display.position, kEmberHeight, ember, embers);
    }
    for (const RemoteCharacterView& view : characters.remotes) {
        if (view.ember && !view.invisible) {
            SpawnRisingSparks(*frame.effects, view.position, kEmberHeight, ember, embers);
        }
    }
}
