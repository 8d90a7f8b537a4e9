#include "game/clip_sampler.h"

#include <algorithm>
#include <cmath>

#include "game/deterministic_math.h"

namespace anim {

float ClipTime(const Clip& clip, float time, bool loop) {
    const float duration = clip.duration;
    if (!(duration > 0.0f)) return 0.0f;
    if (loop) {
        const float r = std::fmod(time, duration);
        return r >= 0.0f ? r : duration + r;
    }
    if (time > duration) return duration;
    if (time < 0.0f) return 0.0f;
    return time;
}

uint32_t FindKey(const float* times, uint32_t count, float time, uint32_t hint) {
    if (count < 2) return 0;
    const uint32_t h = std::min(hint, count - 2);
    if (time >= times[h]) {
        if (time < times[h + 1]) return h;
        if (h + 1 <= count - 2 && time < times[h + 2]) return h + 1;
    }
    const float* upper = std::upper_bound(times, times + count, time);
    if (upper == times) return 0;
    return std::min(static_cast<uint32_t>(upper - times) - 1, count - 2);
}

void PrepareKeyHints(const Clip& clip, KeyHints& hints) {
    if (hints.size() != clip.channels.size()) hints.assign(clip.channels.size(), 0u);
}

glm::quat SlerpShortest(const glm::quat& a, const glm::quat& b, float t) {
    glm::quat z = b;
    float cosTheta = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (cosTheta < 0.0f) {
        z = glm::quat(-b.w, -b.x, -b.y, -b.z);
        cosTheta = -cosTheta;
    }
    if (cosTheta > 1.0f - 1.1920929e-7f) {
        const float u = 1.0f - t;
        return glm::quat(a.w * u + z.w * t, a.x * u + z.x * t, a.y * u + z.y * t, a.z * u + z.z * t);
    }
    const float angle = DetAcos(cosTheta);
    const float wa = DetSin((1.0f - t) * angle);
    const float wb = DetSin(t * angle);
    const float s = DetSin(angle);
    return glm::quat((wa * a.w + wb * z.w) / s, (wa * a.x + wb * z.x) / s, (wa * a.y + wb * z.y) / s,
                     (wa * a.z + wb * z.z) / s);
}

void SamplePose(const Clip& clip, float time, bool loop, bool holdKeys, KeyHints& hints,
                std::vector<JointPose>& pose) {
    PrepareKeyHints(clip, hints);
    const float t = ClipTime(clip, time, loop);
    const size_t channelCount = clip.channels.size();
    for (size_t i = 0; i < channelCount; ++i) {
        const ClipChannel& channel = clip.channels[i];
        if (channel.joint < 0 || static_cast<size_t>(channel.joint) >= pose.size() || channel.keyCount == 0) continue;
        const float* times = clip.times.data() + channel.firstTime;
        const uint32_t count = channel.keyCount;
        const uint32_t k = FindKey(times, count, t, hints[i]);
        hints[i] = k;

        float a = 0.0f;
        if (count >= 2 && !holdKeys && channel.interpolation != kInterpolationStep) {
            const float t0 = times[k];
            const float span = times[k + 1] - t0;
            if (span > 1e-8f) a = std::clamp((t - t0) / span, 0.0f, 1.0f);
        }
        const uint32_t components = ChannelComponents(channel);
        const float* v = clip.values.data() + channel.firstValue + components * k;
        const float* w = count >= 2 ? v + components : v;
        JointPose& joint = pose[channel.joint];
        if (channel.path == kPathRotation) {
            const glm::quat from(v[3], v[0], v[1], v[2]);
            if (a > 0.0f) {
                const glm::quat to(w[3], w[0], w[1], w[2]);
                glm::quat q = SlerpShortest(from, to, a);
                const float lengthSquared = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
                if (lengthSquared > 0.0f) {
                    const float inverse = 1.0f / std::sqrt(lengthSquared);
                    q = glm::quat(q.w * inverse, q.x * inverse, q.y * inverse, q.z * inverse);
                } else {
                    q = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
                }
                joint.rotation = q;
            } else {
                joint.rotation = from;
            }
        } else {
            glm::vec3 result(v[0], v[1], v[2]);
            if (a > 0.0f) {
                const float u = 1.0f - a;
                result = glm::vec3(v[0] * u + w[0] * a, v[1] * u + w[1] * a, v[2] * u + w[2] * a);
            }
            if (channel.path == kPathScale) {
                joint.scale = result;
            } else {
                joint.translation = result;
            }
        }
    }
}

}  // namespace anim
