#include "client/explosion_effects.h"

#include <cmath>

#include "client/rand01.h"
#include "render/effects.h"

void SpawnExplosion(Effects& effects, const glm::vec3& point, const tune::Tuning& tuning)
{
    const tune::ExplosionTuning& look = tuning.match.explosion;
    const glm::vec3 flashColour(look.flashColour[0], look.flashColour[1], look.flashColour[2]);
    effects.SpawnFlash(point, flashColour, look.flashFirst * 2.5f, look.flashSecond * 2.2f, look.lifetime);

    const glm::vec3 fragmentColour(look.fragmentColour[0], look.fragmentColour[1], look.fragmentColour[2]);
    const float reach = tuning.match.rocket.explosionRadius * look.fragmentDistanceScale;
    // A count that is not a finite number, or absurdly large, must not stall the frame.
    const float wanted = std::isfinite(look.fragmentCount) ? look.fragmentCount : 0.0f;
    const int count = static_cast<int>(std::fmin(std::fmax(wanted, 0.0f), 256.0f));
    for (int i = 0; i < count; ++i) {
        const float r1 = Rand01();
        const float r2 = Rand01();
        const float r3 = Rand01();
        const float r4 = Rand01();
        const float azimuth = r1 * 6.2831853f;
        const float elevation = (r2 - 0.5f) * 3.1415927f;
        const float distance = r3 * reach;
        const glm::vec3 offset(std::cos(elevation) * std::cos(azimuth), std::sin(elevation),
                               std::cos(elevation) * std::sin(azimuth));
        effects.SpawnFlash(point + offset * distance, fragmentColour, look.flashFirst, look.flashSecond,
                           (r4 * 0.8f + 0.5f) * look.lifetime);
    }
}
