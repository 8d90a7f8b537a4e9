#include "client/muzzle_flash.h"

#include "render/effects.h"

void SpawnMuzzleFlash(Effects& effects, const glm::vec3& muzzle, const glm::vec3& direction,
                      const tune::ShotFeedbackTuning& feedback)
{
    const glm::vec3 colour(feedback.muzzleFlashColour[0], feedback.muzzleFlashColour[1], feedback.muzzleFlashColour[2]);
    effects.SpawnFlash(muzzle + direction * kMuzzleFlashAhead, colour, feedback.muzzleFlashFirst,
                       feedback.muzzleFlashSecond, feedback.muzzleFlashLifetime);
}
