#pragma once

// Skeletons and clips built in code for the animation tests.

#include <cstdint>
#include <string>
#include <vector>

#include "game/anim_rig.h"

namespace anim_test {

struct JointSpec {
    const char* name;
    int32_t parent;
    glm::vec3 translation;
};

// A skeleton from a joint table; rest rotations identity, identity inverse binds, pre-order
// evaluation in index order (the tables list parents first).
inline anim::Skeleton MakeSkeleton(const std::vector<JointSpec>& joints) {
    anim::Skeleton skeleton;
    for (size_t j = 0; j < joints.size(); ++j) {
        skeleton.jointNames.push_back(joints[j].name);
        skeleton.parents.push_back(joints[j].parent);
        skeleton.inverseBindMatrices.push_back(glm::mat4(1.0f));
        const std::string lower = joints[j].name;
        const bool leg = lower.find("pelvis") != std::string::npos || lower.find("leg") != std::string::npos ||
                         lower.find("foot") != std::string::npos;
        skeleton.legFlags.push_back(leg ? 1 : 0);
        anim::JointPose pose;
        pose.translation = joints[j].translation;
        skeleton.restPose.push_back(pose);
    }
    // Pre-order: roots in index order, then children in index order.
    std::vector<int32_t> stack;
    for (int32_t j = static_cast<int32_t>(joints.size()) - 1; j >= 0; --j) {
        if (joints[j].parent < 0) stack.push_back(j);
    }
    while (!stack.empty()) {
        const int32_t joint = stack.back();
        stack.pop_back();
        skeleton.evaluationOrder.push_back(joint);
        for (int32_t c = static_cast<int32_t>(joints.size()) - 1; c >= 0; --c) {
            if (joints[c].parent == joint) stack.push_back(c);
        }
    }
    return skeleton;
}

// A small humanoid: two roots (pelvis carrying the legs, torso_bottom carrying the upper body),
// every joint the hit volumes and the upper-body mask name.
inline anim::Skeleton MakeHumanoid() {
    return MakeSkeleton({
        {"pelvis", -1, {0.0f, 0.0f, 0.0f}},                 // 0
        {"upper_leg.l", 0, {0.08f, -0.03f, 0.0f}},          // 1
        {"lower_leg.l", 1, {0.0f, -0.2f, 0.0f}},            // 2
        {"upper_leg.r", 0, {-0.08f, -0.03f, 0.0f}},         // 3
        {"lower_leg.r", 3, {0.0f, -0.2f, 0.0f}},            // 4
        {"torso_bottom", -1, {0.0f, 0.0f, 0.0f}},           // 5
        {"torso_top", 5, {0.0f, 0.12f, 0.0f}},              // 6
        {"head", 6, {0.0f, 0.16f, 0.0f}},                   // 7
        {"shoulder.l", 6, {0.05f, 0.12f, 0.0f}},            // 8
        {"upper_arm.l", 8, {0.1f, 0.0f, 0.0f}},             // 9
        {"forearm.l", 9, {0.14f, 0.0f, 0.0f}},              // 10
        {"hand.l", 10, {0.1f, 0.0f, 0.0f}},                 // 11
        {"shoulder.r", 6, {-0.05f, 0.12f, 0.0f}},           // 12
        {"upper_arm.r", 12, {-0.1f, 0.0f, 0.0f}},           // 13
        {"forearm.r", 13, {-0.14f, 0.0f, 0.0f}},            // 14
        {"hand.r", 14, {-0.1f, 0.0f, 0.0f}},                // 15
    });
}

// Adds one channel with the given key times and flat values (3 or 4 per key).
inline void AddChannel(anim::Clip& clip, int32_t joint, uint8_t path, const std::vector<float>& times,
                       const std::vector<float>& values, uint8_t interpolation = anim::kInterpolationLinear) {
    anim::ClipChannel channel;
    channel.joint = joint;
    channel.path = path;
    channel.interpolation = interpolation;
    channel.firstTime = static_cast<uint32_t>(clip.times.size());
    channel.firstValue = static_cast<uint32_t>(clip.values.size());
    channel.keyCount = static_cast<uint32_t>(times.size());
    clip.times.insert(clip.times.end(), times.begin(), times.end());
    clip.values.insert(clip.values.end(), values.begin(), values.end());
    for (float t : times) {
        if (t > clip.duration) clip.duration = t;
    }
    clip.channels.push_back(channel);
}

// Quaternion about an axis, stored x, y, z, w for AddChannel.
inline std::vector<float> AxisAngle(glm::vec3 axis, float radians) {
    const glm::quat q = glm::angleAxis(radians, glm::normalize(axis));
    return {q.x, q.y, q.z, q.w};
}

}  // namespace anim_test
