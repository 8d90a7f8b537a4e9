#include "client/distance_gain.h"

namespace audio {

float DistanceGain(float distance, float minDistance, float maxDistance)
{
    // Written so that a NaN limit takes its floor and a NaN distance falls through to silence.
    const float low = minDistance > 0.01f ? minDistance : 0.01f;
    if (distance <= low) {
        return 1.0f;
    }
    const float high = maxDistance > low + 0.01f ? maxDistance : low + 0.01f;
    if (!(distance < high)) {
        return 0.0f;
    }
    const float t = (distance - low) / (high - low);
    const float s = t * t * (3.0f - 2.0f * t);
    return (1.0f - s) * (low / distance);
}

}  // namespace audio
