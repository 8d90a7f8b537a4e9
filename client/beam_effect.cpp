#include "client/beam_effect.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

#include "client/rand01.h"
#include "client/shot_presentation.h"
#include "client/tracer_style.h"
#include "game/collision_world.h"
#include "render/effects.h"

namespace {

constexpr float kShortestBeamLife = 0.016f;
constexpr float kBeamLifeFrames = 1.6f;  // each frame's pieces outlive the frame a little
constexpr double kTwoPi = 6.283185307179586;

}  // namespace

glm::vec3 BeamEffect(const MatchFrame& frame, const CharacterFrame& characters, int row, const glm::vec3& start,
                     const glm::vec3& origin, const glm::vec3& direction, float* sparkRemainder, int shooterSlot)
{
    if (!frame.tuning || !frame.effects) {
        return origin;
    }
    row = std::clamp(row, 0, tune::Tuning::kWeaponCount - 1);
    const tune::Tuning& tuning = *frame.tuning;
    const tune::WeaponTuning& weapon = tuning.Weapon(row);
    if (weapon.beam == 0) {
        return origin;
    }
    Effects& effects = *frame.effects;

    float length = weapon.range;
    if (frame.world && length > 0.0f) {
        const SweepHit wall = frame.world->SweepSphere(origin, origin + direction * length, 0.0f);
        if (wall.hit) {
            length = wall.fraction * length;
        }
    }
    if (frame.hitboxes && !frame.hitboxes->boxes.empty()) {
        for (const RemoteCharacterView& view : characters.remotes) {
            if (view.invisible || view.id >= static_cast<uint32_t>(net::kMaxPlayers) ||
                static_cast<int>(view.id) == shooterSlot) {
                continue;
            }
            const HitboxHit body = RaycastHitboxes(*frame.hitboxes, characters.slotAnimators[view.id].jointMatrices,
                                                   view.model, origin, direction, length);
            if (body.hit && body.distance < length) {
                length = body.distance;
            }
        }
    }
    const glm::vec3 end = origin + direction * length;

    const TracerStyle style = TracerStyleOf(tuning, row);
    const float life = std::max(frame.dt * kBeamLifeFrames, kShortestBeamLife);
    if (weapon.glowWidthFactor > 1.0f && weapon.glowIntensityFactor > 0.0f) {
        effects.SpawnTracer(start, end, style.colour, style.intensity * weapon.glowIntensityFactor,
                            style.width * weapon.glowWidthFactor, life, 0.0f, 0.0f);
    }
    effects.SpawnTracer(start, end, style.colour, style.intensity, style.width, life, 0.0f, 0.0f);
    effects.SpawnFlash(end, style.colour, style.intensity * 0.8f, style.width * 3.0f, life);

    const float glow = weapon.muzzleGlow;
    if (!(glow > 0.0f)) {
        return end;
    }
    const float pulse =
        1.0f + weapon.pulseDepth * static_cast<float>(std::sin(frame.now * static_cast<double>(weapon.pulseRate) * kTwoPi));
    const glm::vec3 glowPoint = start + direction * weapon.muzzleOffset;
    effects.SpawnFlash(glowPoint, style.colour, weapon.muzzleFlash, pulse * glow, life);
    effects.SpawnFlash(glowPoint, style.colour + glm::vec3(0.35f), weapon.muzzleFlash * 1.3f, glow * 0.45f * pulse,
                       life);

    if (!sparkRemainder || !(weapon.sparkRate > 0.0f)) {
        return end;
    }
    const float budget = weapon.sparkRate * frame.dt + *sparkRemainder;
    const int count = static_cast<int>(budget);
    *sparkRemainder = budget - static_cast<float>(count);
    const float spread = weapon.sparkSpread;
    for (int i = 0; i < count; ++i) {
        const float r1 = Rand01();
        const float r2 = Rand01();
        const float r3 = Rand01();
        const float r4 = Rand01();
        const glm::vec3 position = glowPoint + glm::vec3((r1 * 0.1f - 0.05f) * spread, (r2 * 0.1f - 0.05f) * spread,
                                                         (r3 * 0.1f - 0.05f) * spread);
        const glm::vec3 velocity = direction * weapon.sparkSpeed +
                                   glm::vec3((2.0f * r1 - 1.0f) * spread, (2.0f * r2 - 1.0f) * spread,
                                             (2.0f * r3 - 1.0f) * spread);
        effects.Spawn(position, velocity, style.colour, weapon.muzzleFlash * 0.7f, weapon.sparkSize, 0.0f,
                      weapon.sparkDrag, (r4 * 0.8f + 0.6f) * weapon.sparkLifetime);
    }
    return end;
}

void PresentBeams(ShotPresentation& shots, const MatchFrame& frame, const CharacterFrame& characters)
{
    if (!frame.tuning || !frame.effects) {
        return;
    }
    const tune::Tuning& tuning = *frame.tuning;
    const PlayerState& own = frame.display;
    const uint8_t ownRow = StateWeaponRow(own);
    if (frame.playing && characters.own.alive && characters.own.weaponPlaced && tuning.Weapon(ownRow).beam != 0 &&
        own.fireHeld != 0 && own.ammo > 0 && own.reloadTicks == 0) {
        BeamEffect(frame, characters, ownRow, characters.own.muzzle, frame.camera.eye, frame.camera.forward,
                   &shots.ownSparkRemainder, -1);
    }

    const float raise = tuning.camera.viewPivotHeight + tuning.camera.viewPivotLowHeight;
    for (const RemoteCharacterView& view : characters.remotes) {
        if (!view.firing || view.invisible || view.id >= static_cast<uint32_t>(net::kMaxPlayers) ||
            tuning.Weapon(view.weaponRow).beam == 0) {
            continue;
        }
        // The shooter's view origin: above the feet at the pivot, out to the right shoulder.
        const float across = std::sqrt(view.aim.x * view.aim.x + view.aim.z * view.aim.z);
        const glm::vec3 right =
            across > 1e-6f ? glm::vec3(-view.aim.z / across, 0.0f, view.aim.x / across) : glm::vec3(0.0f);
        const glm::vec3 origin =
            view.position + glm::vec3(0.0f, raise, 0.0f) + right * tuning.camera.hipShoulderOffset;
        const glm::vec3 start = view.weaponPlaced ? view.muzzle : origin;
        BeamEffect(frame, characters, view.weaponRow, start, origin, view.aim, &shots.sparkRemainders[view.id],
                   static_cast<int>(view.id));
    }
}
