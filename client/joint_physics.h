#pragma once
// Spring chains for the joints a skin has and the shared rig does not (tails, straps, ears): each
// run of such joints hangs from its nearest animated ancestor and is pulled toward the pose it
// would have if rigidly attached, damped, dragged by the air, pushed by the character's own
// acceleration and swayed while it runs, at fixed segment lengths. The simulated points then
// re-orient the joints. One per drawn character, on the main thread.
#include <cstdint>
#include <vector>

#include <glm/gtc/quaternion.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "game/anim_rig.h"

namespace anim {

// A box around the vertices a joint moves, in the joint's own space.
struct ChainJointBox {
    glm::vec3 min{0.0f};
    glm::vec3 max{0.0f};
    bool valid = false;
};

struct JointPhysicsParameters {
    float stiffness = 140.0f;
    float damping = 7.0f;
    float drag = 0.55f;
    float gravity = 1.5f;
    float swayAmplitude = 0.9f;
    float swayFrequency = 7.0f;
    float subStep = 1.0f / 120.0f;
    float resetDistance = 1.5f;
    float maxParentAcceleration = 60.0f;
};

struct JointChain {
    std::vector<int32_t> joints;  // from the top down
    float tipLength = 0.05f;
    std::vector<glm::vec3> worldPositions;  // each joint from the top, then the tip
    std::vector<glm::vec3> positions;       // relative to point 0
    std::vector<glm::vec3> velocities;
    glm::vec3 lastParentPosition{0.0f};
    glm::vec3 lastParentVelocity{0.0f};
    bool initialised = false;
    float phase = 0.0f;
};

struct JointPhysics {
    const Skeleton* model = nullptr;
    std::vector<JointChain> chains;
    // Reused by every step, so that stepping allocates nothing once the chains have their size.
    std::vector<glm::vec3> attachedScratch;
    std::vector<float> restLengthScratch;
    std::vector<glm::vec3> previousScratch;

    // `jointMap` gives, per skin joint, the rig joint of the same name or -1; `boxes` one box per
    // skin joint, or empty.
    void Build(const Skeleton& skeleton, const std::vector<ChainJointBox>& boxes, const std::vector<int32_t>& jointMap);
    // Advances every chain by dt (clamped to 0.1 s) at clock `time` and writes the chain joints'
    // model-space matrices; the other matrices are only read.
    void Step(std::vector<glm::mat4>& jointMatrices, const glm::mat4& modelMatrix, float dt, float time,
              const JointPhysicsParameters& parameters);
    void Reset();
};

// The rotation that turns unit vector a onto unit vector b the shortest way.
glm::quat ShortestArc(const glm::vec3& a, const glm::vec3& b);

}  // namespace anim
