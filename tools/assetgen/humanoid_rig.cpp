#include "tools/assetgen/humanoid_rig.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtx/quaternion.hpp>

namespace {

glm::quat AboutX(float degrees) { return glm::angleAxis(glm::radians(degrees), glm::vec3(1, 0, 0)); }
glm::quat AboutZ(float degrees) { return glm::angleAxis(glm::radians(degrees), glm::vec3(0, 0, 1)); }

// Proportions (model units). A stocky trooper: legs 0.39 from hip to ankle, a short torso, a large
// helmeted head and short arms ending in heavy gauntlets, sized to the damage volumes.
std::array<RigJoint, kRigJointCount> MakeJoints() {
    const glm::quat down = AboutX(180.0f);    // +Y along the leg, pointing at the floor
    const glm::quat forward = AboutX(90.0f);  // +Y towards the toes
    const glm::quat up(1.0f, 0.0f, 0.0f, 0.0f);
    const float armDroop = 45.0f;  // bind arms hang 45 degrees below horizontal
    const glm::vec3 armDirL(std::cos(glm::radians(armDroop)), -std::sin(glm::radians(armDroop)), 0.0f);
    const glm::vec3 armDirR(-armDirL.x, armDirL.y, 0.0f);

    std::array<RigJoint, kRigJointCount> j{};
    j[kRigPelvis] = {"pelvis", -1, {0.0f, 0.0f, 0.0f}, up, 0.06f, 0};
    j[kRigUpperLegL] = {"upper_leg.l", kRigPelvis, {0.075f, -0.04f, 0.0f}, down, 0.19f, 1};
    j[kRigLowerLegL] = {"lower_leg.l", kRigUpperLegL, {0.075f, -0.23f, 0.0f}, down, 0.195f, 1};
    j[kRigFootL] = {"foot.l", kRigLowerLegL, {0.075f, -0.425f, 0.0f}, forward, 0.1f, 1};
    j[kRigUpperLegR] = {"upper_leg.r", kRigPelvis, {-0.075f, -0.04f, 0.0f}, down, 0.19f, -1};
    j[kRigLowerLegR] = {"lower_leg.r", kRigUpperLegR, {-0.075f, -0.23f, 0.0f}, down, 0.195f, -1};
    j[kRigFootR] = {"foot.r", kRigLowerLegR, {-0.075f, -0.425f, 0.0f}, forward, 0.1f, -1};
    j[kRigTorsoBottom] = {"torso_bottom", -1, {0.0f, 0.01f, 0.0f}, up, 0.12f, 0};
    j[kRigTorsoTop] = {"torso_top", kRigTorsoBottom, {0.0f, 0.13f, 0.0f}, up, 0.135f, 0};
    j[kRigHead] = {"head", kRigTorsoTop, {0.0f, 0.265f, 0.0f}, up, 0.36f, 0};
    j[kRigShoulderL] = {"shoulder.l", kRigTorsoTop, {0.03f, 0.225f, 0.0f}, AboutZ(-90.0f), 0.115f, 1};
    j[kRigShoulderR] = {"shoulder.r", kRigTorsoTop, {-0.03f, 0.225f, 0.0f}, AboutZ(90.0f), 0.115f, -1};
    const glm::quat armL = AboutZ(-(90.0f + armDroop));
    const glm::quat armR = AboutZ(90.0f + armDroop);
    const glm::vec3 upperArmL(0.145f, 0.225f, 0.0f);
    const glm::vec3 upperArmR(-0.145f, 0.225f, 0.0f);
    j[kRigUpperArmL] = {"upper_arm.l", kRigShoulderL, upperArmL, armL, 0.13f, 1};
    j[kRigForearmL] = {"forearm.l", kRigUpperArmL, upperArmL + armDirL * 0.13f, armL, 0.075f, 1};
    j[kRigHandL] = {"hand.l", kRigForearmL, upperArmL + armDirL * 0.205f, armL, 0.1f, 1};
    j[kRigUpperArmR] = {"upper_arm.r", kRigShoulderR, upperArmR, armR, 0.13f, -1};
    j[kRigForearmR] = {"forearm.r", kRigUpperArmR, upperArmR + armDirR * 0.13f, armR, 0.075f, -1};
    j[kRigHandR] = {"hand.r", kRigForearmR, upperArmR + armDirR * 0.205f, armR, 0.1f, -1};
    return j;
}

glm::mat4 FromParts(const glm::vec3& translation, const glm::quat& rotation) {
    glm::mat4 m = glm::mat4_cast(rotation);
    m[3] = glm::vec4(translation, 1.0f);
    return m;
}

// The rotation that takes unit vector a onto unit vector b by the shortest arc.
glm::quat Arc(const glm::vec3& a, const glm::vec3& b) {
    const float d = glm::dot(a, b);
    if (d > 0.999999f) return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    if (d < -0.999999f) {
        glm::vec3 axis = glm::cross(glm::vec3(1, 0, 0), a);
        if (glm::length(axis) < 1e-4f) axis = glm::cross(glm::vec3(0, 0, 1), a);
        return glm::angleAxis(glm::pi<float>(), glm::normalize(axis));
    }
    return glm::rotation(a, b);
}

}  // namespace

const std::array<RigJoint, kRigJointCount>& RigJoints() {
    static const std::array<RigJoint, kRigJointCount> joints = MakeJoints();
    return joints;
}

glm::mat4 RigBindWorld(int joint) {
    const RigJoint& j = RigJoints()[joint];
    return FromParts(j.head, j.rotation);
}

RigPose RigBindPose() {
    RigPose pose;
    for (int i = 0; i < kRigJointCount; ++i) {
        const RigJoint& j = RigJoints()[i];
        if (j.parent < 0) {
            pose.translation[i] = j.head;
            pose.rotation[i] = j.rotation;
        } else {
            const RigJoint& p = RigJoints()[j.parent];
            const glm::quat inverseParent = glm::conjugate(p.rotation);
            pose.translation[i] = inverseParent * (j.head - p.head);
            pose.rotation[i] = glm::normalize(inverseParent * j.rotation);
        }
    }
    return pose;
}

std::array<glm::mat4, kRigJointCount> RigPoseWorld(const RigPose& pose) {
    // Joints are listed parents first.
    std::array<glm::mat4, kRigJointCount> world{};
    for (int i = 0; i < kRigJointCount; ++i) {
        const glm::mat4 local = FromParts(pose.translation[i], pose.rotation[i]);
        const int parent = RigJoints()[i].parent;
        world[i] = parent < 0 ? local : world[parent] * local;
    }
    return world;
}

glm::quat RigWorldRotation(const RigPose& pose, int joint) {
    glm::quat q = pose.rotation[joint];
    for (int p = RigJoints()[joint].parent; p >= 0; p = RigJoints()[p].parent) q = pose.rotation[p] * q;
    return glm::normalize(q);
}

glm::vec3 RigWorldHead(const RigPose& pose, int joint) { return glm::vec3(RigPoseWorld(pose)[joint][3]); }

void RigSetWorldRotation(RigPose& pose, int joint, const glm::quat& world) {
    const int parent = RigJoints()[joint].parent;
    const glm::quat parentWorld = parent < 0 ? glm::quat(1, 0, 0, 0) : RigWorldRotation(pose, parent);
    pose.rotation[joint] = glm::normalize(glm::conjugate(parentWorld) * world);
}

void RigAimBone(RigPose& pose, int joint, const glm::vec3& direction) {
    const int parent = RigJoints()[joint].parent;
    const glm::quat parentWorld = parent < 0 ? glm::quat(1, 0, 0, 0) : RigWorldRotation(pose, parent);
    const glm::quat carried = parentWorld * RigBindPose().rotation[joint];
    const glm::vec3 along = carried * glm::vec3(0, 1, 0);
    const glm::quat world = Arc(glm::normalize(along), glm::normalize(direction)) * carried;
    pose.rotation[joint] = glm::normalize(glm::conjugate(parentWorld) * world);
}

void RigReachArm(RigPose& pose, int side, const glm::vec3& wrist, const glm::vec3& pole) {
    const int upper = side > 0 ? kRigUpperArmL : kRigUpperArmR;
    const int fore = side > 0 ? kRigForearmL : kRigForearmR;
    const float a = RigJoints()[upper].length;
    const float b = RigJoints()[fore].length;
    const glm::vec3 shoulder = RigWorldHead(pose, upper);
    glm::vec3 toTarget = wrist - shoulder;
    float d = glm::length(toTarget);
    const glm::vec3 dir = d > 1e-5f ? toTarget / d : glm::vec3(0, -1, 0);
    d = std::clamp(d, std::fabs(a - b) + 1e-3f, a + b - 1e-4f);
    // Angle at the shoulder between the target line and the upper arm (law of cosines).
    const float cosShoulder = std::clamp((a * a + d * d - b * b) / (2.0f * a * d), -1.0f, 1.0f);
    glm::vec3 bendTowards = pole - shoulder;
    bendTowards -= dir * glm::dot(bendTowards, dir);
    if (glm::length(bendTowards) < 1e-5f) bendTowards = glm::vec3(0, -1, 0) - dir * dir.y;
    bendTowards = glm::normalize(bendTowards);
    const float sinShoulder = std::sqrt(std::max(0.0f, 1.0f - cosShoulder * cosShoulder));
    const glm::vec3 elbow = shoulder + (dir * cosShoulder + bendTowards * sinShoulder) * a;
    RigAimBone(pose, upper, elbow - shoulder);
    RigAimBone(pose, fore, shoulder + dir * d - elbow);
}
