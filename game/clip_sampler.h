#pragma once

#include <cstdint>
#include <vector>

#include "game/anim_rig.h"

// Evaluates one clip into a caller-owned pose. Joints the clip does not animate keep what the pose
// held, which is how the animator layers clips over the rest pose.
namespace anim {

// Last key found per channel of one clip: a speed-up only, the result never depends on it. Each
// sampling character owns its hints, so concurrent samplers of one shared clip never share them.
using KeyHints = std::vector<uint32_t>;

// The time at which to sample: wrapped into [0, duration) when looping, clamped otherwise.
float ClipTime(const Clip& clip, float time, bool loop);

// Index in 0 .. count - 2 of the key that starts the interval holding `time` (0 when count < 2).
uint32_t FindKey(const float* times, uint32_t count, float time, uint32_t hint);

// Sizes the hints to the clip's channel count (one 0 each) when they do not fit it.
void PrepareKeyHints(const Clip& clip, KeyHints& hints);

// Samples every channel at `time` into `pose`. `holdKeys` shows the key at or before the time
// without interpolating towards the next one.
void SamplePose(const Clip& clip, float time, bool loop, bool holdKeys, KeyHints& hints,
                std::vector<JointPose>& pose);

// Shortest-path spherical interpolation from a to b (b is negated when the two lie on opposite
// hemispheres; nearly equal rotations are mixed linearly). Not renormalised. Uses the game's own
// trigonometry so that every build computes the same bits.
glm::quat SlerpShortest(const glm::quat& a, const glm::quat& b, float t);

}  // namespace anim
