// The hits the server reports: a sound where they land, the kill confirmation for the shooter, the
// flash on the body part hit and a spark at the point.
#include "client/shot_presentation.h"
#include "client/startup_sounds.h"
#include "render/effects.h"

namespace {

constexpr uint8_t kLastHitZone = 7;  // 0..5 body regions, 6 and 7 things that are not bodies

}  // namespace

void PresentHits(const MatchFrame& frame, CharacterFrame& characters, const std::vector<net::HitEventMessage>& hits)
{
    if (!frame.tuning) {
        return;
    }
    const tune::Tuning& tuning = *frame.tuning;
    const tune::ShotFeedbackTuning& feedback = tuning.shotFeedback;
    const bool sounds = frame.audio && frame.sounds;
    for (const net::HitEventMessage& hit : hits) {
        if (hit.kind > kLastHitZone) {
            continue;
        }
        const bool ownShot = frame.ownId >= 0 && hit.attacker == frame.ownId;
        const bool ownBody = frame.ownId >= 0 && static_cast<int>(hit.victim) == frame.ownId;
        if (hit.healing) {
            // A heal shows only as a number to its shooter and its target.
            if ((ownShot || ownBody) && frame.damageNumbers) {
                hud::AddPopup(*frame.damageNumbers, hit.position, hit.amount, false, tuning, true);
            }
            continue;
        }
        if (ownShot && hit.amount > 0 && frame.damageNumbers) {
            const bool headshot = hit.kind < kRegionNone && IsHeadshot(hit.kind);
            hud::AddPopup(*frame.damageNumbers, hit.position, hit.amount, headshot, tuning, false);
        }
        if (sounds && hit.amount > 0) {
            frame.audio->PlayAt(frame.sounds->hit, hit.position, tuning.sound.eventSoundNear,
                                tuning.sound.eventSoundFar, feedback.hitSoundVolume, 1.0f);
        }
        if (sounds && hit.lethal && ownShot) {
            frame.audio->Play(frame.sounds->kill, feedback.killSoundVolume, 1.0f);
        }
        if (hit.kind < kRegionNone) {
            HitFlash& flash = ownBody ? characters.ownHitFlash : characters.hitFlashes[hit.victim];
            flash.Trigger(hit.kind, feedback.hitFlashTime);
        }
        if (frame.effects) {
            const glm::vec3 colour(feedback.hitFlashColour[0], feedback.hitFlashColour[1], feedback.hitFlashColour[2]);
            frame.effects->SpawnFlash(hit.position, colour, feedback.muzzleFlashFirst, feedback.hitSparkSecond,
                                      feedback.hitSparkLifetime);
        }
    }
}

void DecayHitFlashes(CharacterFrame& characters, float dt)
{
    characters.ownHitFlash.Decay(dt);
    for (HitFlash& flash : characters.hitFlashes) {
        flash.Decay(dt);
    }
}
