#pragma once

#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>

#include "game/anim_rig.h"
#include "game/clip_sampler.h"
#include "game/tuning.h"

// Turns a character's movement state into a skeletal pose: idle, run and jump layers over the rest
// pose, an upper-body aim layer that cross-fades between weapon styles, a throw layer, then the
// pelvis bob is taken out of the root joints and reported separately. One animator per character;
// the rig it reads is shared and never written.
namespace anim {

constexpr int kHoldStyleCount = 5;  // 0 = none, 1 general, 2 flamethrower, 3 LMG, 4 RPG

struct Animator {
    const Skeleton* skeleton = nullptr;
    const std::vector<Clip>* clips = nullptr;
    tune::RigTuning rigSettings{};
    tune::ModelPoseTuning modelPoseSettings{};

    const Clip* runClip = nullptr;
    const Clip* idleClip = nullptr;
    const Clip* jumpingClip = nullptr;
    const Clip* dyingClip = nullptr;
    const Clip* throwClip = nullptr;
    const Clip* aimClips[kHoldStyleCount] = {};
    const Clip* holdClips[kHoldStyleCount] = {};

    uint8_t posing = 0;          // set by the owner: hold clip only
    uint8_t dead = 0;            // set by the owner with the death clock: dying clip only
    float deathClock = 0.0f;
    float throwClock = -1.0f;    // set by the owner every frame; negative when no throw runs
    float throwWeight = 0.0f;

    std::vector<uint8_t> upperBodyMask;
    uint8_t holdStyle = 0;
    uint8_t previousHoldStyle = 0;
    float holdClock = 0.0f;
    float previousHoldClock = 0.0f;
    float styleFade = 1.0f;  // 1 = cross-fade finished

    float runClock = 0.0f;
    float runWeight = 0.0f;
    float idleClock = 0.0f;
    float airClock = 0.0f;
    float airWeight = 0.0f;
    uint8_t wasGrounded = 1;

    float rootBob = 0.0f;  // vertical pelvis offset removed from the pose, times the bob factor
    int32_t bobJoint = -1;
    std::vector<int32_t> rootJoints;
    float frameRate = 24.0f;
    std::vector<float> twistWeights;

    std::vector<JointPose> basePose;
    std::vector<JointPose> layerPose;
    std::vector<JointPose> secondLayerPose;
    std::vector<JointPose> restPose;
    std::vector<glm::mat4> jointMatrices;  // model space, from the last ComputeJointMatrices

    // Key hints for each clip of the rig, by position in the clip list: kept here rather than in
    // the shared clips because other characters sample the same clips at the same time.
    std::vector<KeyHints> keyHints;

    // Binds the animator to a rig. Clocks, weights and flags are left as they are.
    void Reset(const Skeleton* skeleton, const std::vector<Clip>* clips, const tune::RigTuning& rig,
               const tune::ModelPoseTuning& modelPose);
    void SetHoldStyle(uint8_t style);
    // Moves the clocks and weights on by dt seconds and builds the base pose.
    void Advance(float dt, float speed, bool grounded);
    // Model-space joint matrices and skinning matrices (joint x inverse bind). `inverseBinds`
    // replaces the skeleton's when given and long enough.
    void ComputeJointMatrices(float upperYaw, float lowerYaw, std::vector<glm::mat4>& skin,
                              const std::vector<glm::mat4>* inverseBinds = nullptr);
    glm::mat4 JointMatrix(int32_t index) const;

    const Clip* FindClip(const char* name) const;
    const Clip* AimClip(uint8_t style) const { return style < kHoldStyleCount ? aimClips[style] : nullptr; }
    const Clip* HoldClip(uint8_t style) const { return style < kHoldStyleCount ? holdClips[style] : nullptr; }
    bool IsSyncedAimClip(const Clip* clip) const;
    float AimWeight(const Clip* clip, float runWeightNow) const;
    float QuantiseTime(float t) const;
    float QuantiseWeight(float value, float easeTime) const;
    void ComputeTwistWeights();
    void FindBobJoint();
};

// Case-insensitive substring test; `needle` is given in lower case and the empty needle is always found.
bool NameContainsNoCase(const std::string& name, const char* needle);

}  // namespace anim
