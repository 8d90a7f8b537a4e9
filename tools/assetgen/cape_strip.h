#pragma once

// The cape strip the "gold" skin wears down its back: three joints in a chain under the torso's top
// joint, which no clip keys (the game swings them with spring physics while the trooper moves), and
// the skinned strip they carry, widening from a clasp at the collar to a glowing hem above the knees.
//
// The joints hang straight down in the bind pose (+Y along each bone points at the floor, +Z away
// from the back), one after the other, each kCapeSegmentLength long.

#include <array>

#include <glm/gtc/quaternion.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "tools/assetgen/glb_builder.h"

constexpr int kCapeJointCount = 3;
constexpr float kCapeSegmentLength = 0.13f;

struct CapeJoint {
    const char* name;
    glm::vec3 head;      // bind position, model space
    glm::quat rotation;  // bind orientation, model space
};

// From the top down; the first hangs from the rig's torso_top, each other from the one before.
const std::array<CapeJoint, kCapeJointCount>& CapeJoints();
glm::mat4 CapeBindWorld(int joint);
// The joint's transform relative to its parent (the rig's torso_top for the first) in the bind pose.
glm::vec3 CapeLocalTranslation(int joint);
glm::quat CapeLocalRotation(int joint);

// The strip in its bind pose (model space) with normals and atlas coordinates; its joint indices
// count from `firstJoint`, the first cape joint's position in the skin's joint list. Along its length
// each vertex blends between the two nearest joints, so the strip bends where they turn.
GlbPrimitive BuildCapeStrip(int firstJoint);
