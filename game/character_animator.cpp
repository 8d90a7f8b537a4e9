#include "game/character_animator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/deterministic_math.h"
#include "game/exp_smooth.h"

namespace anim {
namespace {

constexpr float kDegreesToRadians = 0.017453292f;

// Positions in the rig settings' clip-name list: hold styles 1..4, aim styles 1..4, then the rest.
constexpr int kHoldClipName = 0;
constexpr int kAimClipName = 4;
constexpr int kRunClipName = 8;
constexpr int kIdleClipName = 9;
constexpr int kJumpingClipName = 10;
constexpr int kDyingClipName = 11;
constexpr int kThrowClipName = 12;

// Rate for ExpSmooth from an ease time: an ease time of 0 or less reaches the target at once.
float EaseRate(float easeTime) { return easeTime > 0.0f ? 1.0f / easeTime : 1000000.0f; }

void BlendJoint(JointPose& a, const JointPose& b, float w) {
    const float u = 1.0f - w;
    a.translation = glm::vec3(a.translation.x * u + b.translation.x * w, a.translation.y * u + b.translation.y * w,
                              a.translation.z * u + b.translation.z * w);
    a.rotation = SlerpShortest(a.rotation, b.rotation, w);
    a.scale = glm::vec3(a.scale.x * u + b.scale.x * w, a.scale.y * u + b.scale.y * w, a.scale.z * u + b.scale.z * w);
}

// base = Blend(base, layer, w) for every joint.
void BlendPoses(std::vector<JointPose>& base, const std::vector<JointPose>& layer, float w) {
    const size_t count = std::min(base.size(), layer.size());
    for (size_t j = 0; j < count; ++j) BlendJoint(base[j], layer[j], w);
}

// Upper-body blend: rotation and scale of the masked joints only; translations stay.
void BlendMasked(std::vector<JointPose>& base, const std::vector<JointPose>& layer, const std::vector<uint8_t>& mask,
                 float w) {
    const size_t count = std::min({base.size(), layer.size(), mask.size()});
    const float u = 1.0f - w;
    for (size_t j = 0; j < count; ++j) {
        if (mask[j] != 1) continue;
        JointPose& a = base[j];
        const JointPose& b = layer[j];
        a.rotation = SlerpShortest(a.rotation, b.rotation, w);
        a.scale = glm::vec3(a.scale.x * u + b.scale.x * w, a.scale.y * u + b.scale.y * w, a.scale.z * u + b.scale.z * w);
    }
}

glm::mat4 RotationAboutY(float degrees) {
    const float radians = degrees * kDegreesToRadians;
    const float c = DetCos(radians);
    const float s = DetSin(radians);
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(c, 0.0f, -s, 0.0f);
    m[2] = glm::vec4(s, 0.0f, c, 0.0f);
    return m;
}

// True when `name` is `wanted`, or `wanted` followed by "." and one or more decimal digits.
bool ClipNameMatches(const std::string& name, const char* wanted) {
    const size_t length = std::strlen(wanted);
    if (name.compare(0, length, wanted) != 0 || name.size() < length) return false;
    if (name.size() == length) return true;
    if (name[length] != '.' || name.size() == length + 1) return false;
    for (size_t i = length + 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
    }
    return true;
}

}  // namespace

bool NameContainsNoCase(const std::string& name, const char* needle) {
    if (needle == nullptr || needle[0] == '\0') return true;
    std::string lower = name;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower.find(needle) != std::string::npos;
}

const Clip* Animator::FindClip(const char* name) const {
    if (clips == nullptr || name == nullptr || name[0] == '\0') return nullptr;
    const Clip* best = nullptr;
    for (const Clip& clip : *clips) {
        if (!ClipNameMatches(clip.name, name)) continue;
        if (best == nullptr || clip.animatedChannels > best->animatedChannels ||
            (clip.animatedChannels == best->animatedChannels && clip.poseDistance > best->poseDistance)) {
            best = &clip;
        }
    }
    return best;
}

void Animator::Reset(const Skeleton* newSkeleton, const std::vector<Clip>* newClips, const tune::RigTuning& rig,
                     const tune::ModelPoseTuning& modelPose) {
    // A skeleton whose lists disagree would be read out of bounds: treat it as none.
    skeleton = newSkeleton != nullptr && IsValidSkeleton(*newSkeleton) ? newSkeleton : nullptr;
    clips = newClips;
    rigSettings = rig;
    modelPoseSettings = modelPose;

    for (int style = 0; style < kHoldStyleCount; ++style) {
        holdClips[style] = nullptr;
        aimClips[style] = nullptr;
    }
    for (int style = 1; style < kHoldStyleCount; ++style) {
        holdClips[style] = FindClip(rigSettings.clipNames[kHoldClipName + style - 1]);
        aimClips[style] = FindClip(rigSettings.clipNames[kAimClipName + style - 1]);
    }
    for (int style = 2; style < kHoldStyleCount; ++style) {
        if (holdClips[style] == nullptr) holdClips[style] = holdClips[1];
        if (aimClips[style] == nullptr) aimClips[style] = aimClips[1];
    }

    const size_t jointCount = skeleton != nullptr ? skeleton->jointNames.size() : 0;
    upperBodyMask.assign(jointCount, 0);
    for (const char* bone : rigSettings.upperBodyBones) {
        if (bone == nullptr) continue;
        for (size_t j = 0; j < jointCount; ++j) {
            if (skeleton->jointNames[j] == bone) {
                upperBodyMask[j] = 1;
                break;
            }
        }
    }

    runClip = FindClip(rigSettings.clipNames[kRunClipName]);
    idleClip = FindClip(rigSettings.clipNames[kIdleClipName]);
    jumpingClip = FindClip(rigSettings.clipNames[kJumpingClipName]);
    dyingClip = FindClip(rigSettings.clipNames[kDyingClipName]);
    throwClip = FindClip(rigSettings.clipNames[kThrowClipName]);

    frameRate = 24.0f;
    if (rigSettings.frameRateOverride > 0.0f) {
        frameRate = rigSettings.frameRateOverride;
    } else {
        float fastest = 0.0f;
        if (clips != nullptr) {
            for (const Clip& clip : *clips) fastest = std::max(fastest, Clip::KeyRate(clip));
        }
        if (fastest > 0.0f) frameRate = fastest;
    }

    const size_t restCount = skeleton != nullptr ? skeleton->restPose.size() : 0;
    basePose.assign(restCount, JointPose{});
    layerPose.assign(restCount, JointPose{});
    secondLayerPose.assign(restCount, JointPose{});
    restPose.assign(restCount, JointPose{});
    if (skeleton != nullptr) {
        basePose = skeleton->restPose;
        restPose = skeleton->restPose;
        secondLayerPose = skeleton->restPose;
        layerPose = skeleton->restPose;
    }

    keyHints.assign(clips != nullptr ? clips->size() : 0, KeyHints{});
    if (clips != nullptr) {
        for (size_t i = 0; i < clips->size(); ++i) PrepareKeyHints((*clips)[i], keyHints[i]);
    }

    ComputeTwistWeights();
    FindBobJoint();
}

void Animator::ComputeTwistWeights() {
    const size_t count = skeleton != nullptr ? skeleton->jointNames.size() : 0;
    twistWeights.assign(count, 0.0f);
    if (count == 0) return;
    int spineCount = 0;
    for (size_t j = 0; j < count; ++j) {
        if (skeleton->legFlags[j] == 0 && NameContainsNoCase(skeleton->jointNames[j], "spine")) ++spineCount;
    }
    for (size_t j = 0; j < count; ++j) {
        if (skeleton->legFlags[j] != 0) continue;
        const int32_t parent = skeleton->parents[j];
        if (!NameContainsNoCase(skeleton->jointNames[j], "spine")) {
            twistWeights[j] = parent == -1 ? 1.0f : 0.0f;
        } else if (modelPoseSettings.spreadTwist != 0) {
            twistWeights[j] = 1.0f / static_cast<float>(spineCount);
        } else {
            const bool lowestOfChain = parent < 0 || !NameContainsNoCase(skeleton->jointNames[parent], "spine");
            twistWeights[j] = lowestOfChain ? 1.0f : 0.0f;
        }
    }
}

void Animator::FindBobJoint() {
    bobJoint = -1;
    rootJoints.clear();
    const Clip* reference = runClip != nullptr ? runClip : idleClip;
    if (reference == nullptr || skeleton == nullptr) return;
    for (size_t j = 0; j < skeleton->parents.size(); ++j) {
        if (skeleton->parents[j] == -1) rootJoints.push_back(static_cast<int32_t>(j));
    }
    float best = 0.0f;
    for (int32_t root : rootJoints) {
        if (skeleton->legFlags[root] == 0) continue;
        for (const ClipChannel& channel : reference->channels) {
            if (channel.joint != root || channel.path != kPathTranslation || channel.keyCount == 0) continue;
            const float* values = reference->values.data() + channel.firstValue;
            float lowest = values[1];
            float highest = values[1];
            for (uint32_t k = 1; k < channel.keyCount; ++k) {
                lowest = std::min(lowest, values[3 * k + 1]);
                highest = std::max(highest, values[3 * k + 1]);
            }
            const float range = highest - lowest;
            if (range > best) {
                best = range;
                bobJoint = root;
            }
        }
    }
}

void Animator::SetHoldStyle(uint8_t style) {
    if (style == holdStyle) return;
    previousHoldStyle = holdStyle;
    previousHoldClock = holdClock;
    holdClock = 0.0f;
    styleFade = 0.0f;
    holdStyle = style;
}

float Animator::QuantiseTime(float t) const {
    const float rate = rigSettings.frameRateOverride;
    if (rate > 0.0f) return std::floor(t * rate) / rate;
    return t;
}

float Animator::QuantiseWeight(float value, float easeTime) const {
    if (rigSettings.quantiseWeights == 0 || !(easeTime > 0.0f)) return value;
    const float steps = std::max(std::round(easeTime * frameRate), 1.0f);
    return std::round(steps * value) / steps;
}

bool Animator::IsSyncedAimClip(const Clip* clip) const {
    return clip != nullptr && clip->duration >= rigSettings.syncedAimMinDuration;
}

float Animator::AimWeight(const Clip* clip, float runWeightNow) const {
    if (rigSettings.syncedAimWeight != 0 && IsSyncedAimClip(clip)) return runWeightNow;
    return 1.0f;
}

void Animator::Advance(float dt, float speed, bool grounded) {
    if (skeleton == nullptr) return;
    const tune::RigTuning& rig = rigSettings;
    const bool holdKeys = rig.holdKeys != 0;
    const auto sample = [&](const Clip* clip, float time, bool loop, std::vector<JointPose>& pose) {
        const size_t index = static_cast<size_t>(clip - clips->data());
        SamplePose(*clip, QuantiseTime(time), loop, holdKeys, keyHints[index], pose);
    };

    if (dead != 0) {
        deathClock += dt;
        basePose = restPose;
        if (dyingClip != nullptr) sample(dyingClip, deathClock, false, basePose);
        rootBob = 0.0f;
        return;
    }

    holdClock += dt;
    previousHoldClock += dt;
    styleFade = rig.styleCrossFadeTime > 0.0f ? std::min(styleFade + dt / rig.styleCrossFadeTime, 1.0f) : 1.0f;

    if (!grounded) {
        if (wasGrounded != 0) airClock = 0.0f;
        airClock += std::max(rig.airClockRate, 0.0f) * dt;
    }
    wasGrounded = grounded ? 1 : 0;
    const float airEase = grounded ? rig.airEaseOutTime : rig.airEaseInTime;
    airWeight = ExpSmooth(airWeight, grounded ? 0.0f : 1.0f, EaseRate(airEase), dt);

    const float runTarget =
        grounded ? std::clamp(speed / std::max(rig.runWeightReferenceSpeed, 0.0001f), 0.0f, 1.0f) : 0.0f;
    runWeight = ExpSmooth(runWeight, runTarget, EaseRate(rig.runWeightEaseTime), dt);
    runClock += dt * std::clamp(speed / std::max(rig.runClockReferenceSpeed, 0.0001f), rig.runClockRateMin,
                                rig.runClockRateMax);
    idleClock += dt;

    const float fade = QuantiseWeight(styleFade, rig.styleCrossFadeTime);
    const float run = QuantiseWeight(runWeight, rig.runWeightEaseTime);
    const float air = QuantiseWeight(airWeight, airEase);

    if (posing != 0) {
        basePose = restPose;
        const Clip* hold = HoldClip(holdStyle);
        if (hold != nullptr) {
            sample(hold, std::fmod(holdClock, std::max(hold->duration, 0.0001f)), true, basePose);
        } else if (idleClip != nullptr) {
            sample(idleClip, idleClock, true, basePose);
        }
        return;
    }

    basePose = restPose;
    if (idleClip != nullptr) sample(idleClip, idleClock, true, basePose);

    if (runClip != nullptr && run > 0.001f) {
        layerPose = basePose;
        sample(runClip, runClock, true, layerPose);
        BlendPoses(basePose, layerPose, run);
    }

    if (jumpingClip != nullptr && air > 0.001f) {
        layerPose = basePose;
        sample(jumpingClip, airClock, false, layerPose);
        BlendPoses(basePose, layerPose, air);
    }

    const Clip* aim = AimClip(holdStyle);
    if (aim != nullptr) {
        layerPose = basePose;
        sample(aim, IsSyncedAimClip(aim) ? runClock : holdClock, true, layerPose);
        float weight = AimWeight(aim, run);
        const Clip* previous = AimClip(previousHoldStyle);
        if (fade < 1.0f && previous != nullptr) {
            secondLayerPose = basePose;
            sample(previous, IsSyncedAimClip(previous) ? runClock : previousHoldClock, true, secondLayerPose);
            // layer = Blend(second layer, layer, fade), written into the layer.
            for (size_t j = 0; j < layerPose.size(); ++j) {
                JointPose blended = secondLayerPose[j];
                BlendJoint(blended, layerPose[j], fade);
                layerPose[j] = blended;
            }
            weight = AimWeight(previous, run) * (1.0f - fade) + weight * fade;
        }
        if (weight > 0.001f) BlendMasked(basePose, layerPose, upperBodyMask, weight);
    }

    throwWeight = ExpSmooth(throwWeight, throwClock < 0.0f ? 0.0f : 1.0f, EaseRate(rig.throwEaseTime), dt);
    if (throwClip != nullptr && throwWeight > 0.001f) {
        layerPose = basePose;
        sample(throwClip, std::max(throwClock, 0.0f), false, layerPose);
        BlendMasked(basePose, layerPose, upperBodyMask, QuantiseWeight(throwWeight, rig.throwEaseTime));
    }

    rootBob = 0.0f;
    if (bobJoint == -1 || rig.bobFactor == 0.0f) return;
    const float dy = basePose[bobJoint].translation.y - restPose[bobJoint].translation.y;
    for (int32_t root : rootJoints) basePose[root].translation.y -= dy;
    rootBob = dy * rig.bobFactor;
}

void Animator::ComputeJointMatrices(float upperYaw, float lowerYaw, std::vector<glm::mat4>& skin,
                                    const std::vector<glm::mat4>* inverseBinds) {
    if (skeleton == nullptr) return;
    const size_t n = skeleton->jointNames.size();
    const std::vector<glm::mat4>& binds =
        inverseBinds != nullptr && inverseBinds->size() >= n ? *inverseBinds : skeleton->inverseBindMatrices;
    const size_t m = binds.size();
    skin.resize(m, glm::mat4(1.0f));
    jointMatrices.resize(n, glm::mat4(1.0f));

    const glm::mat4 lowerTurn = RotationAboutY(lowerYaw);
    const glm::mat4 legRoot = skeleton->rootMatrix * lowerTurn;
    for (int32_t j : skeleton->evaluationOrder) {
        const JointPose& pose = basePose[j];
        glm::mat4 local = JointLocalMatrix(pose);
        if (twistWeights[j] != 0.0f && upperYaw != 0.0f) local = RotationAboutY(twistWeights[j] * upperYaw) * local;
        const int32_t parent = skeleton->parents[j];
        const glm::mat4& parentMatrix =
            parent < 0 ? (skeleton->legFlags[j] != 0 ? legRoot : skeleton->rootMatrix) : jointMatrices[parent];
        jointMatrices[j] = parentMatrix * local;
        skin[j] = jointMatrices[j] * binds[j];
    }
    for (size_t j = n; j < m; ++j) skin[j] = glm::mat4(1.0f);
}

glm::mat4 Animator::JointMatrix(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= jointMatrices.size()) return glm::mat4(1.0f);
    return jointMatrices[index];
}

}  // namespace anim
