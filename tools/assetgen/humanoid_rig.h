#pragma once

// The one humanoid skeleton that every generated character shares, and the small forward and
// inverse kinematics the clip generator poses it with.
//
// Model space: the character faces +Z, its left is +X, up is +Y; one unit is 1.882 m in the game
// (the model scale) and the model origin sits at the pelvis, 0.913 m above the feet, so the soles
// are at y = -0.4851. Each joint's +Y runs along its bone; left and right limbs are mirror images
// with the local X axis negated, as the damage-volume table expects.

#include <array>

#include <glm/gtc/quaternion.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

enum RigJointId : int {
    kRigPelvis,
    kRigUpperLegL,
    kRigLowerLegL,
    kRigFootL,
    kRigUpperLegR,
    kRigLowerLegR,
    kRigFootR,
    kRigTorsoBottom,
    kRigTorsoTop,
    kRigHead,
    kRigShoulderL,
    kRigUpperArmL,
    kRigForearmL,
    kRigHandL,
    kRigShoulderR,
    kRigUpperArmR,
    kRigForearmR,
    kRigHandR,
    kRigJointCount
};

constexpr float kRigSoleHeight = -0.4851f;  // -0.913 / 1.882

struct RigJoint {
    const char* name;
    int parent;          // -1 for the two roots
    glm::vec3 head;      // bind position, model space
    glm::quat rotation;  // bind orientation, model space
    float length;
    int side;  // +1 left, -1 right, 0 middle
};

const std::array<RigJoint, kRigJointCount>& RigJoints();
glm::mat4 RigBindWorld(int joint);

// Local transforms of every joint; starts as the bind pose.
struct RigPose {
    std::array<glm::vec3, kRigJointCount> translation;
    std::array<glm::quat, kRigJointCount> rotation;
};

RigPose RigBindPose();
std::array<glm::mat4, kRigJointCount> RigPoseWorld(const RigPose& pose);
glm::quat RigWorldRotation(const RigPose& pose, int joint);
glm::vec3 RigWorldHead(const RigPose& pose, int joint);

// Turns the bone so that its +Y points along `direction` (model space), with the least twist from
// where its parent carries it.
void RigAimBone(RigPose& pose, int joint, const glm::vec3& direction);
// Sets the bone's model-space orientation.
void RigSetWorldRotation(RigPose& pose, int joint, const glm::quat& world);
// Two-bone reach: the upper arm and forearm of `side` (+1 left, -1 right) bend so that the wrist
// (hand joint) lands on `wrist`, the elbow pointing towards `pole`. Out-of-reach targets straighten
// the arm towards them.
void RigReachArm(RigPose& pose, int side, const glm::vec3& wrist, const glm::vec3& pole);
