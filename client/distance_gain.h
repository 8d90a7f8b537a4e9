#pragma once

namespace audio {

// The loudness of a positional sound at `distance` metres from the listener, 0..1: full up to the
// minimum distance, then the inverse-distance law minDistance / distance, faded to 0 at the maximum
// distance by a smoothstep so that sounds leave the mix without a step. A minimum below 0.01 counts
// as 0.01 and a maximum not above the minimum as minimum + 0.01; a distance that is not a number
// gives 0.
float DistanceGain(float distance, float minDistance, float maxDistance);

}  // namespace audio
